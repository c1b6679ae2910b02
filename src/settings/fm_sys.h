#pragma once
// The settings and progress window: try time, base search site, progress
// and tree figures written by the other windows.

#include "framework/form.h"

class TFmSys : public framework::Form {
public:
    TFmSys();
    void FormDestroy() override;
};
