#pragma once
// The site tree and lists window: theme trees, categories, word lists,
// sharing words, operation programs and downloads.

#include <string>

#include "framework/form.h"

class TFmCtrl : public framework::Form {
public:
    TFmCtrl();

    // Remembered row count of the word-list grid (kept by the memo window's
    // grid commands when they change the grid's size).
    int BunchColCount = 2;
    int BunchRowCount = 50;

    framework::TreeView& TreeViewEdd1;
    framework::StringGrid& StringGridBunch;

    void FormCreate() override;

    // Commands other windows call.
    void PMTrVwCFSaveClick();
    void PMTrVwFESaveClick();
    void PMBunchTFSaveClick();
    void PMBunchTListUpClick();
    void PMBunchTSRowBunchFromMemoClick();
    void PMJoinAOperatorClick();

    // The settings window's HTTP test page: a fetch with the window's HTTP
    // client and the parts of its last reply.
    void httpTestGet(const std::string& url);
    std::string httpHeader() const;
    std::string httpBody() const;
    std::string httpCookieIn() const;
};
