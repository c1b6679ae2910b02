// Bindings of the text controls: labels, edits, memos and combo boxes.

#include "ui/qt_keywords.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include "ui/binding.h"
#include "ui/text_positions.h"

namespace ui::detail {

using framework::Prop;

namespace {

QString joinLines(const std::vector<std::string>& lines, size_t from = 0)
{
    std::string joined;
    size_t size = 0;
    for (size_t i = from; i < lines.size(); ++i)
        size += lines[i].size() + 1;
    joined.reserve(size);
    for (size_t i = from; i < lines.size(); ++i) {
        if (i > from)
            joined += '\n';
        joined += lines[i];
    }
    return qs(joined);
}

// ------------------------------------------------------------------ Label

class LabelBinding : public WidgetBinding<framework::Label, Bound<QLabel>> {
public:
    LabelBinding(BinderImpl& impl, framework::Label& label, ControlBinding* parent) : WidgetBinding(impl, label, parent)
    {
        w_->setTextFormat(Qt::PlainText);
        w_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }

    void applyOptions() override
    {
        widget_->setCursor(model_.handCursor ? Qt::PointingHandCursor : Qt::ArrowCursor);
        if (w_->wordWrap() != model_.wordWrap) {
            w_->setWordWrap(model_.wordWrap);
            if (parent_)
                parent_->relayout();
        }
        applyPalette();
    }

protected:
    void applyContent(Aspects aspects) override
    {
        if (aspects & aspect(Prop::Text))
            w_->setText(withoutAccessKeys(model_.caption()));
    }
    bool fillsBackground() const override { return !model_.transparent; }
};

// ------------------------------------------------------------------- Edit

class EditBinding : public WidgetBinding<framework::Edit, Bound<QLineEdit>> {
public:
    EditBinding(BinderImpl& impl, framework::Edit& edit, ControlBinding* parent) : WidgetBinding(impl, edit, parent)
    {
        listen(*this, w_, &QLineEdit::textEdited, [this](const QString& text) {
            {
                Suppress echo(*this, aspect(Prop::Text));
                framework::Edit* model = &model_;
                const std::string value = str(text);
                this->impl().dispatch([model, &value] { model->setText(value); });
            }
            postEvent(&framework::Control::onChange);
        });
    }

    void applyOptions() override { w_->setReadOnly(model_.readOnly); }

protected:
    void applyContent(Aspects aspects) override
    {
        if (aspects & aspect(Prop::Text)) {
            const QString text = qs(model_.text());
            if (w_->text() != text)
                w_->setText(text);
        }
    }
    QPalette::ColorRole backgroundRole() const override { return QPalette::Base; }
    QPalette::ColorRole foregroundRole() const override { return QPalette::Text; }
    bool fillsBackground() const override { return false; }
};

// ------------------------------------------------------------------- Memo

// QPlainTextEdit for a memo, QTextEdit (plain text only) for a rich edit.
template <class W> class MemoBinding : public ControlBinding {
public:
    MemoBinding(BinderImpl& impl, framework::Memo& memo, ControlBinding* parent)
        : ControlBinding(impl, memo, parent), memo_(memo)
    {
        edit_ = new Bound<W>(parent->childArea());
        if constexpr (std::is_same_v<W, QTextEdit>)
            edit_->setAcceptRichText(false);
        setWidget(edit_, edit_);
        listen(*this, edit_->document(), &QTextDocument::contentsChange, [this](int, int, int) {
            if (!this->impl().applying())
                widgetAhead_ = true;
        });
        listen(*this, edit_, &W::textChanged, [this] { userEdited(); });
        listen(*this, edit_, &W::cursorPositionChanged, [this] { caretMoved(); });
        listen(*this, edit_, &W::selectionChanged, [this] { caretMoved(); });
    }

    void applyOptions() override
    {
        edit_->setReadOnly(memo_.readOnly);
        // A horizontal scroll bar means long lines do not wrap.
        const bool wrap = memo_.wordWrap && !memo_.scrollHorizontal;
        edit_->setLineWrapMode(wrap ? W::WidgetWidth : W::NoWrap);
        edit_->setVerticalScrollBarPolicy(memo_.scrollVertical ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded);
        edit_->setHorizontalScrollBarPolicy(memo_.scrollHorizontal ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded);
        edit_->setTabChangesFocus(!memo_.wantTabs);
    }

    bool keyPressed(QKeyEvent* event) override
    {
        if (ControlBinding::keyPressed(event))
            return true;
        // Shift+Enter is an ordinary line break in a memo (its lines are the
        // model's lines), not Qt's soft line break inside a paragraph.
        const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        if (enter && (event->modifiers() & Qt::ShiftModifier) && !edit_->isReadOnly()) {
            QTextCursor cursor = edit_->textCursor();
            cursor.insertBlock();
            edit_->setTextCursor(cursor);
            return true;
        }
        return false;
    }

protected:
    void applyContent(Aspects aspects) override
    {
        const Aspects lines = aspect(Prop::Lines) | aspect(Prop::Text);
        if (aspects & lines)
            applyLines();
        if (aspects & (lines | aspect(Prop::Selection)))
            applySelection();
        // A log follows its newest line wherever the view was (last: placing
        // the caret scrolls to it).
        if (memo_.followEnd && (aspects & lines))
            edit_->verticalScrollBar()->setValue(edit_->verticalScrollBar()->maximum());
    }
    QPalette::ColorRole backgroundRole() const override { return QPalette::Base; }
    QPalette::ColorRole foregroundRole() const override { return QPalette::Text; }
    bool fillsBackground() const override { return false; }

private:
    void applyLines()
    {
        const auto& lines = memo_.lines();
        if (lines == shown_)
            return;
        QTextDocument* document = edit_->document();
        const int blocks = document->blockCount();
        const bool prefix = shown_.size() < lines.size() && std::equal(shown_.begin(), shown_.end(), lines.begin());
        // Lines added at the end (a log) are appended; the view follows
        // them when it showed the end before.
        const bool trailingBreak = static_cast<int>(shown_.size()) == blocks - 1;
        if (prefix && (static_cast<int>(shown_.size()) == blocks || trailingBreak)) {
            QScrollBar* bar = edit_->verticalScrollBar();
            const bool atEnd = bar->value() >= bar->maximum();
            QString added = joinLines(lines, shown_.size());
            if (!trailingBreak)
                added.prepend(u'\n');
            QTextCursor cursor(document);
            cursor.movePosition(QTextCursor::End);
            cursor.insertText(added);
            if (atEnd)
                bar->setValue(bar->maximum());
        } else {
            edit_->setPlainText(joinLines(lines));
        }
        shown_ = lines;
        widgetAhead_ = false;
    }

    void applySelection()
    {
        if (widgetAhead_)
            return;
        const auto& lines = memo_.lines();
        const int last = edit_->document()->characterCount() - 1;
        const int start = std::min(documentPosition(lines, memo_.selStart()), last);
        const int end = std::min(documentPosition(lines, memo_.selStart() + memo_.selLength()), last);
        QTextCursor cursor = edit_->textCursor();
        if (std::min(cursor.anchor(), cursor.position()) == start &&
            std::max(cursor.anchor(), cursor.position()) == end)
            return;
        cursor.setPosition(start);
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        edit_->setTextCursor(cursor);
    }

    QString widgetText() const
    {
        QString text;
        const QTextDocument* document = edit_->document();
        for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
            if (block != document->begin())
                text += u'\n';
            text += block.text();
        }
        text.replace(QChar::LineSeparator, u'\n');
        return text;
    }

    void userEdited()
    {
        if (impl().applying())
            return;
        widgetAhead_ = false;
        {
            Suppress echo(*this, aspect(Prop::Lines) | aspect(Prop::Selection));
            framework::Memo* memo = &memo_;
            const std::string text = str(widgetText());
            impl().dispatch([memo, &text] { memo->setText(text); });
        }
        shown_ = memo_.lines();
        storeSelection();
        postEvent(&framework::Control::onChange);
    }

    void caretMoved()
    {
        if (impl().applying() || widgetAhead_)
            return;
        storeSelection();
    }

    void storeSelection()
    {
        // While the model has lines the widget does not show yet, widget
        // positions mean nothing to it; the refresh sets the selection.
        if (dirty & (aspect(Prop::Lines) | aspect(Prop::Text)))
            return;
        const QTextCursor cursor = edit_->textCursor();
        const auto& lines = memo_.lines();
        const int start = modelOffset(lines, std::min(cursor.anchor(), cursor.position()));
        const int end = modelOffset(lines, std::max(cursor.anchor(), cursor.position()));
        Suppress echo(*this, aspect(Prop::Selection));
        memo_.setSelection(start, end - start);
    }

    framework::Memo& memo_;
    Bound<W>* edit_;
    // The lines the widget shows, as last applied or typed.
    std::vector<std::string> shown_;
    // The user changed the document and textChanged has not followed yet.
    bool widgetAhead_ = false;
};

// --------------------------------------------------------------- ComboBox

class ComboBinding : public WidgetBinding<framework::ComboBox, Bound<QComboBox>> {
public:
    ComboBinding(BinderImpl& impl, framework::ComboBox& combo, ControlBinding* parent)
        : WidgetBinding(impl, combo, parent)
    {
        w_->setInsertPolicy(QComboBox::NoInsert);
        w_->setMaxVisibleItems(20);
        applyOptions();
        listen(*this, w_, &QComboBox::activated, [this](int index) { chosen(index); });
    }

    void applyOptions() override
    {
        const bool editable = !model_.dropDownList;
        if (w_->isEditable() != editable) {
            BinderImpl::ApplyGuard guard(impl());
            w_->setEditable(editable);
            w_->setInsertPolicy(QComboBox::NoInsert);
            applyChoice();
        }
        if (editable && w_->lineEdit() != connectedEdit_) {
            connectedEdit_ = w_->lineEdit();
            listen(*this, connectedEdit_.data(), &QLineEdit::textEdited, [this](const QString& text) { typed(text); });
        }
    }

protected:
    void applyContent(Aspects aspects) override
    {
        if (aspects & aspect(Prop::Items)) {
            QStringList items;
            for (const auto& item : model_.items())
                items << qs(item);
            QStringList shown;
            for (int i = 0; i < w_->count(); ++i)
                shown << w_->itemText(i);
            if (items != shown) {
                w_->clear();
                w_->addItems(items);
            }
        }
        if (aspects & (aspect(Prop::Items) | aspect(Prop::ItemIndex) | aspect(Prop::Text)))
            applyChoice();
    }
    QPalette::ColorRole backgroundRole() const override { return QPalette::Base; }
    QPalette::ColorRole foregroundRole() const override { return QPalette::Text; }
    bool fillsBackground() const override { return false; }
    void adjustPalette(QPalette& palette) const override
    {
        // A drop-down list draws its text as a button does.
        if (model_.color() != framework::ColorDefault)
            palette.setColor(QPalette::Button, qcolor(model_.color()));
        if (model_.fontColor() != framework::ColorDefault) {
            palette.setColor(QPalette::Active, QPalette::ButtonText, qcolor(model_.fontColor()));
            palette.setColor(QPalette::Inactive, QPalette::ButtonText, qcolor(model_.fontColor()));
        }
    }

private:
    void applyChoice()
    {
        const int index = model_.itemIndex() < w_->count() ? model_.itemIndex() : -1;
        if (w_->currentIndex() != index)
            w_->setCurrentIndex(index);
        const QString text = qs(model_.text());
        if (w_->isEditable() && w_->currentText() != text)
            w_->setEditText(text);
    }

    void chosen(int index)
    {
        if (impl().applying())
            return;
        {
            Suppress echo(*this, aspect(Prop::ItemIndex) | aspect(Prop::Text));
            framework::ComboBox* combo = &model_;
            impl().dispatch([combo, index] { combo->setItemIndex(index); });
        }
        postEvent(&framework::Control::onClick);
        postEvent(&framework::Control::onChange);
    }

    void typed(const QString& text)
    {
        if (impl().applying())
            return;
        {
            Suppress echo(*this, aspect(Prop::ItemIndex) | aspect(Prop::Text));
            framework::ComboBox* combo = &model_;
            const std::string value = str(text);
            impl().dispatch([combo, &value] { combo->setText(value); });
        }
        postEvent(&framework::Control::onChange);
    }

    QPointer<QLineEdit> connectedEdit_;
};

} // namespace

void addTextBindings(BindingFactories& table)
{
    addBinding<framework::RichEdit, MemoBinding<QTextEdit>>(table);
    addBinding<framework::Memo, MemoBinding<QPlainTextEdit>>(table);
    addBinding<framework::Edit, EditBinding>(table);
    addBinding<framework::ComboBox, ComboBinding>(table);
    addBinding<framework::Label, LabelBinding>(table);
}

} // namespace ui::detail
