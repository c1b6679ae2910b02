// Bindings of the containers, buttons and the remaining controls: page
// controls and their sheets, panels, group boxes, tool bars, buttons, check
// and radio buttons, up-down arrows, splitters, the busy animation and the
// browser placeholders.

#include "ui/qt_keywords.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QToolButton>

#include "browserctl/qt_browser_graphics.h"
#include "browserctl/qt_engine.h"
#include "ui/align_layout.h"
#include "ui/binding.h"
#include "ui/scale.h"

namespace ui::detail {

using framework::Prop;

namespace {

// ------------------------------------------------------------ PageControl

class PageControlBinding : public WidgetBinding<framework::PageControl, Bound<QTabWidget>> {
public:
    PageControlBinding(BinderImpl& impl, framework::PageControl& pages, ControlBinding* parent)
        : WidgetBinding(impl, pages, parent)
    {
        w_->setUsesScrollButtons(true);
        w_->setElideMode(Qt::ElideNone);
        listen(*this, w_, &QTabWidget::currentChanged, [this](int index) { tabChosen(index); });
    }

    QTabWidget* tabs() const { return w_; }

    void adoptChild(ControlBinding& child) override
    {
        auto* sheet = dynamic_cast<framework::TabSheet*>(&child.control());
        if (!sheet || sheet->pageControl() != &model_) {
            // Only tab sheets live in a page control; anything else keeps
            // its own geometry on top of it.
            child.widget()->setParent(w_);
            return;
        }
        BinderImpl::ApplyGuard guard(impl());
        // The caption comes with the sheet's first apply. Qt lays every tab
        // out again for each one inserted (to find the tab under the mouse),
        // which measured each caption once per later sheet: 51 sheets cost
        // over a thousand text layouts at start. Empty tabs lay out at
        // little cost, and captions set on a hidden tab bar wait for its
        // showing.
        w_->insertTab(std::min(sheet->pageIndex(), w_->count()), child.widget(), QString());
    }

    void applyOptions() override
    {
        w_->setTabPosition(model_.tabsLeft ? QTabWidget::West : QTabWidget::North);
        w_->setDocumentMode(model_.flatButtons);
    }

protected:
    void applyContent(Aspects aspects) override
    {
        if (aspects & aspect(Prop::ActivePage)) {
            const int index = model_.activePageIndex();
            if (index >= 0 && index < w_->count() && w_->currentIndex() != index)
                w_->setCurrentIndex(index);
        }
    }

private:
    void tabChosen(int index)
    {
        if (impl().applying() || index < 0 || index == model_.activePageIndex())
            return;
        // The page's onShow runs inside the model's page change; both it and
        // onChange wait until Qt's tab bar is done with the click.
        framework::PageControl* pages = &model_;
        impl().post(*this, [this, pages, index] {
            if (impl().dispatch([pages, index] { pages->setActivePageIndex(index); }))
                impl().dispatch([pages] {
                    auto handler = pages->onChange;
                    if (handler)
                        handler();
                });
        });
    }
};

// --------------------------------------------------------------- TabSheet

class TabSheetBinding : public WidgetBinding<framework::TabSheet, Bound<QWidget>> {
public:
    using WidgetBinding::WidgetBinding;

protected:
    void applyContent(Aspects aspects) override
    {
        QTabWidget* tabs = tabWidget();
        if (!tabs)
            return;
        const int index = tabs->indexOf(widget_);
        if (index < 0)
            return;
        if (aspects & aspect(Prop::Text))
            tabs->setTabText(index, qs(model_.caption()));
        if (aspects & aspect(Prop::Hint))
            tabs->setTabToolTip(index, qs(model_.hint()));
    }

    void applyVisible() override
    {
        QTabWidget* tabs = tabWidget();
        if (!tabs)
            return ControlBinding::applyVisible();
        // The tab hides; the page (and the browsers on it) stays.
        const int index = tabs->indexOf(widget_);
        if (index >= 0 && tabs->isTabVisible(index) != model_.visible())
            tabs->setTabVisible(index, model_.visible());
    }

    void applyGeometry() override
    {
        if (!tabWidget())
            ControlBinding::applyGeometry();
    }

private:
    QTabWidget* tabWidget() const
    {
        auto* pages = dynamic_cast<PageControlBinding*>(parent_);
        return pages && model_.pageControl() ? pages->tabs() : nullptr;
    }
};

// ------------------------------------------------------------------ Panel

// A panel shows its caption in the middle, under its children.
class PanelFrame : public Bound<QFrame> {
public:
    using Bound<QFrame>::Bound;
    QString caption;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QFrame::paintEvent(event);
        if (caption.isEmpty())
            return;
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(contentsRect(), Qt::AlignCenter | Qt::TextSingleLine, caption);
    }
};

class PanelBinding : public WidgetBinding<framework::Panel, PanelFrame> {
public:
    using WidgetBinding::WidgetBinding;

    void applyOptions() override
    {
        if (model_.bevelNone) {
            w_->setFrameStyle(QFrame::NoFrame);
        } else {
            w_->setFrameStyle(QFrame::Panel | (model_.bevelLowered ? QFrame::Sunken : QFrame::Raised));
            w_->setLineWidth(1);
        }
        relayout();
    }

protected:
    void applyContent(Aspects aspects) override
    {
        if (aspects & aspect(Prop::Text)) {
            w_->caption = withoutAccessKeys(model_.caption());
            w_->update();
        }
    }
};

// ---------------------------------------------------------------- Balloon

// The note's window: a thin line round its edge and room inside it.
class BalloonFrame : public Bound<QFrame> {
public:
    using Bound<QFrame>::Bound;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QFrame::paintEvent(event);
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
};

// A frameless window of its own beside the anchor's widget. It follows the
// anchor's window as that moves, and stays out of sight while the anchor
// is hidden. Its height is what its word-wrapping text needs at its width.
class BalloonBinding : public ControlBinding, public QObject {
public:
    BalloonBinding(BinderImpl& impl, framework::Balloon& balloon)
        : ControlBinding(impl, balloon, nullptr), balloon_(balloon)
    {
        auto* frame = new BalloonFrame(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        frame->setContentsMargins(8, 6, 8, 6);
        frame->setAttribute(Qt::WA_ShowWithoutActivating);
        setWidget(frame, frame);
    }
    ~BalloonBinding() override { delete widget_.data(); }

    void relayout() override
    {
        ControlBinding::relayout();
        place();
    }

protected:
    void applyVisible() override { place(); }
    void applyGeometry() override { place(); }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::Hide:
            if (usable())
                place();
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget* anchorWidget() const
    {
        ControlBinding* anchor = impl().controlBindingOf(balloon_.anchor());
        return anchor ? anchor->widget() : nullptr;
    }

    int neededHeight(int width) const
    {
        const Scale& scale = impl().scale();
        const QMargins margins = widget_->contentsMargins();
        int height = margins.top() + margins.bottom();
        const int inner = width - margins.left() - margins.right();
        for (framework::Control* child : balloon_.children()) {
            if (!child->visible())
                continue;
            if (child->align() == framework::Align::Top || child->align() == framework::Align::Bottom) {
                height += scale.toPixels(child->height());
            } else if (child->align() == framework::Align::Client) {
                ControlBinding* binding = impl().controlBindingOf(child);
                auto* label = binding ? qobject_cast<QLabel*>(binding->widget()) : nullptr;
                height += label ? label->heightForWidth(inner) : scale.toPixels(child->height());
            }
        }
        return height;
    }

    void place()
    {
        QWidget* frame = widget_;
        if (!frame)
            return;
        QWidget* anchor = anchorWidget();
        if (anchor != watched_) {
            if (watched_)
                watched_->window()->removeEventFilter(this);
            watched_ = anchor;
            if (anchor)
                anchor->window()->installEventFilter(this);
        }
        // (Asked of the window too: while it hides, its children still
        // count as visible.)
        if (!balloon_.visible() || !anchor || !anchor->window()->isVisible() ||
            !anchor->isVisibleTo(anchor->window())) {
            frame->hide();
            return;
        }
        const int width = impl().scale().toPixels(balloon_.width());
        const QSize size(width, neededHeight(width));
        const QRect target(anchor->mapToGlobal(QPoint(0, 0)), anchor->size());
        QScreen* screen = QGuiApplication::screenAt(target.center());
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        const QRect area = screen ? screen->availableGeometry() : QRect(QPoint(0, 0), size);
        frame->setGeometry(besideAnchor(target, size, area, impl().scale().toPixels(8)));
        if (layout())
            layout()->relayout();
        if (!frame->isVisible())
            frame->show();
        frame->raise();
    }

    framework::Balloon& balloon_;
    QPointer<QWidget> watched_;
};

// --------------------------------------------------------------- GroupBox

class GroupBoxBinding : public WidgetBinding<framework::GroupBox, Bound<QGroupBox>> {
public:
    using WidgetBinding::WidgetBinding;

protected:
    void applyContent(Aspects aspects) override
    {
        if (aspects & aspect(Prop::Text))
            w_->setTitle(qs(model_.caption()));
    }
};

// ---------------------------------------------------------------- ToolBar

class ToolBarBinding : public WidgetBinding<framework::ToolBar, Bound<QFrame>> {
public:
    using WidgetBinding::WidgetBinding;

    void adoptChild(ControlBinding& child) override
    {
        ControlBinding::adoptChild(child);
        layout_->setFlow(true);
    }
};

// ---------------------------------------------------------------- buttons

// A button that reports its clicks by its own signal and shows its caption
// as a button does.
template <class Model, class W> class PushBinding : public WidgetBinding<Model, Bound<W>> {
public:
    PushBinding(BinderImpl& impl, Model& model, ControlBinding* parent)
        : WidgetBinding<Model, Bound<W>>(impl, model, parent)
    {
        listen(*this, this->w_, &W::clicked, [this](bool) { this->postEvent(&framework::Control::onClick); });
    }

    bool clicksFromMouse() const override { return false; }

protected:
    void applyContent(Aspects aspects) override
    {
        if (aspects & aspect(Prop::Text))
            this->w_->setText(qs(this->model_.caption()));
    }
    QPalette::ColorRole backgroundRole() const override { return QPalette::Button; }
    QPalette::ColorRole foregroundRole() const override { return QPalette::ButtonText; }
    bool fillsBackground() const override { return false; }
};

class ToolButtonBinding : public PushBinding<framework::ToolButton, QToolButton> {
public:
    ToolButtonBinding(BinderImpl& impl, framework::ToolButton& button, ControlBinding* parent)
        : PushBinding(impl, button, parent)
    {
        w_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    }

    void applyOptions() override
    {
        auto* bar = dynamic_cast<framework::ToolBar*>(model_.parent());
        w_->setAutoRaise(bar && bar->flat);
        QMenu* menu = model_.dropDownMenu ? impl().menuFor(*model_.dropDownMenu) : nullptr;
        if (w_->menu() != menu)
            w_->setMenu(menu);
        // A drop-down button has its arrow part; a button with a menu and
        // nothing else to do opens the menu at once; one that also has a
        // click handler clicks, and opens the menu when held.
        if (model_.dropDown)
            w_->setPopupMode(QToolButton::MenuButtonPopup);
        else if (menu && !model_.onClick)
            w_->setPopupMode(QToolButton::InstantPopup);
        else
            w_->setPopupMode(QToolButton::DelayedPopup);
    }
};

class ButtonBinding : public PushBinding<framework::Button, QPushButton> {
public:
    ButtonBinding(BinderImpl& impl, framework::Button& button, ControlBinding* parent)
        : PushBinding(impl, button, parent)
    {
        w_->setAutoDefault(false);
    }
};

// ------------------------------------------------------ checks and radios

class CheckBoxBinding : public WidgetBinding<framework::CheckBox, Bound<QCheckBox>> {
public:
    CheckBoxBinding(BinderImpl& impl, framework::CheckBox& box, ControlBinding* parent)
        : WidgetBinding(impl, box, parent)
    {
        listen(*this, w_, &QCheckBox::clicked, [this](bool checked) {
            {
                Suppress echo(*this, aspect(Prop::Checked));
                this->impl().dispatch([&] { model_.setChecked(checked); });
            }
            postEvent(&framework::Control::onClick);
        });
    }

    bool clicksFromMouse() const override { return false; }

protected:
    void applyContent(Aspects aspects) override
    {
        if (aspects & aspect(Prop::Text))
            w_->setText(qs(model_.caption()));
        if ((aspects & aspect(Prop::Checked)) && w_->isChecked() != model_.checked())
            w_->setChecked(model_.checked());
    }
};

class RadioButtonBinding : public WidgetBinding<framework::RadioButton, Bound<QRadioButton>> {
public:
    RadioButtonBinding(BinderImpl& impl, framework::RadioButton& radio, ControlBinding* parent)
        : WidgetBinding(impl, radio, parent)
    {
        listen(*this, w_, &QRadioButton::clicked, [this](bool) {
            {
                Suppress echo(*this, aspect(Prop::Checked));
                this->impl().dispatch([&] { model_.setChecked(true); });
            }
            postEvent(&framework::Control::onClick);
        });
        // The button Qt unchecks when another of the group is clicked.
        listen(*this, w_, &QRadioButton::toggled, [this](bool on) {
            if (this->impl().applying() || on || !model_.checked())
                return;
            Suppress echo(*this, aspect(Prop::Checked));
            this->impl().dispatch([&] { model_.setChecked(false); });
        });
    }

    bool clicksFromMouse() const override { return false; }

protected:
    void applyContent(Aspects aspects) override
    {
        if (aspects & aspect(Prop::Text))
            w_->setText(qs(model_.caption()));
        if ((aspects & aspect(Prop::Checked)) && w_->isChecked() != model_.checked()) {
            // Qt refuses to uncheck the checked button of a group.
            w_->setAutoExclusive(false);
            w_->setChecked(model_.checked());
            w_->setAutoExclusive(true);
        }
    }
};

// ----------------------------------------------------------------- UpDown

class UpDownBinding : public WidgetBinding<framework::UpDown, Bound<QWidget>> {
public:
    UpDownBinding(BinderImpl& impl, framework::UpDown& upDown, ControlBinding* parent)
        : WidgetBinding(impl, upDown, parent)
    {
        up_ = makeArrow(w_, "up", framework::UpDownButton::Up);
        down_ = makeArrow(w_, "down", framework::UpDownButton::Down);
    }

    void applyOptions() override
    {
        if (widget_->layout() && horizontalShown_ == model_.horizontal)
            return;
        horizontalShown_ = model_.horizontal;
        delete widget_->layout();
        QBoxLayout* box =
            new QBoxLayout(model_.horizontal ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom, widget_);
        box->setContentsMargins(0, 0, 0, 0);
        box->setSpacing(0);
        // Horizontal arrows: "down" on the left, "up" on the right.
        if (model_.horizontal) {
            down_->setArrowType(Qt::LeftArrow);
            up_->setArrowType(Qt::RightArrow);
            box->addWidget(down_);
            box->addWidget(up_);
        } else {
            up_->setArrowType(Qt::UpArrow);
            down_->setArrowType(Qt::DownArrow);
            box->addWidget(up_);
            box->addWidget(down_);
        }
    }

    bool clicksFromMouse() const override { return false; }

private:
    QToolButton* makeArrow(QWidget* parent, const char* name, framework::UpDownButton which)
    {
        auto* arrow = new QToolButton(parent);
        arrow->setObjectName(QString::fromLatin1(name));
        arrow->setAutoRepeat(true);
        arrow->setFocusPolicy(Qt::NoFocus);
        arrow->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        listen(*this, arrow, &QToolButton::clicked, [this, which](bool) {
            framework::UpDown* model = &model_;
            impl().post(*this, [this, model, which] { impl().dispatch([model, which] { model->step(which); }); });
        });
        return arrow;
    }

    QToolButton* up_;
    QToolButton* down_;
    bool horizontalShown_ = false;
};

// --------------------------------------------------------------- Splitter

class SplitterBinding;

class SplitterWidget : public Bound<QFrame> {
public:
    using Bound<QFrame>::Bound;
    SplitterBinding* splitter = nullptr;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
};

// Dragging the splitter resizes the control placed just before it on the
// same side.
class SplitterBinding : public WidgetBinding<framework::Splitter, SplitterWidget> {
public:
    SplitterBinding(BinderImpl& impl, framework::Splitter& splitter, ControlBinding* parent)
        : WidgetBinding(impl, splitter, parent)
    {
        w_->splitter = this;
    }

    void applyOptions() override
    {
        const framework::Align side = model_.align();
        const bool vertical = side == framework::Align::Top || side == framework::Align::Bottom;
        widget_->setCursor(vertical ? Qt::SplitVCursor : Qt::SplitHCursor);
    }

    void dragStarted(const QPoint& global)
    {
        start_ = global;
        framework::Control* neighbour = this->neighbour();
        startSize_ = neighbour ? (horizontal() ? neighbour->width() : neighbour->height()) : 0;
    }

    void dragged(const QPoint& global)
    {
        framework::Control* neighbour = this->neighbour();
        if (!neighbour)
            return;
        const QPoint delta = impl().scale().toDesign(global - start_);
        const framework::Align align = model_.align();
        if (!horizontal() && align != framework::Align::Top && align != framework::Align::Bottom)
            return;
        // A splitter at the right or bottom grows its neighbour when dragged
        // back toward the left or top.
        const int along = horizontal() ? delta.x() : delta.y();
        const bool far = align == framework::Align::Right || align == framework::Align::Bottom;
        const int size = std::max(startSize_ + (far ? -along : along), MinimumSize);
        impl().dispatch([neighbour, size, this] {
            if (horizontal())
                neighbour->setWidth(size);
            else
                neighbour->setHeight(size);
        });
    }

protected:
    void applyContent(Aspects aspects) override
    {
        if (aspects & aspect(Prop::Geometry))
            applyOptions();
    }

private:
    static constexpr int MinimumSize = 30;

    bool horizontal() const
    {
        return model_.align() == framework::Align::Left || model_.align() == framework::Align::Right;
    }

    framework::Control* neighbour() const
    {
        return parent_ && parent_->layout() ? parent_->layout()->neighbourOf(&model_) : nullptr;
    }

    QPoint start_;
    int startSize_ = 0;
};

void SplitterWidget::mousePressEvent(QMouseEvent* event)
{
    Bound<QFrame>::mousePressEvent(event);
    if (splitter && event->button() == Qt::LeftButton && splitter->usable())
        splitter->dragStarted(event->globalPosition().toPoint());
}

void SplitterWidget::mouseMoveEvent(QMouseEvent* event)
{
    Bound<QFrame>::mouseMoveEvent(event);
    if (splitter && (event->buttons() & Qt::LeftButton) && splitter->usable())
        splitter->dragged(event->globalPosition().toPoint());
}

// ---------------------------------------------------------------- Animate

// The busy indicator: a spinning character, ticking only while the model
// is active.
class AnimateBinding : public WidgetBinding<framework::Animate, Bound<QLabel>> {
public:
    AnimateBinding(BinderImpl& impl, framework::Animate& animate, ControlBinding* parent)
        : WidgetBinding(impl, animate, parent)
    {
        w_->setAlignment(Qt::AlignCenter);
        ticker_ = new QTimer(w_);
        ticker_->setInterval(100);
        listen(*this, ticker_, &QTimer::timeout, [this] {
            frame_ = (frame_ + 1) % FrameCount;
            w_->setText(QString(QChar(Frames[frame_])));
        });
    }

    bool running() const { return ticker_->isActive(); }

protected:
    void applyContent(Aspects aspects) override
    {
        if (!(aspects & (aspect(Prop::State) | aspect(Prop::Visible))))
            return;
        const bool run = model_.active() && model_.visible();
        if (run && !ticker_->isActive()) {
            w_->setText(QString(QChar(Frames[frame_])));
            ticker_->start();
        } else if (!run && ticker_->isActive()) {
            ticker_->stop();
            w_->clear();
        }
    }

private:
    static constexpr int FrameCount = 4;
    static constexpr char16_t Frames[FrameCount] = {u'|', u'/', u'-', u'\\'};

    QTimer* ticker_;
    int frame_ = 0;
};

// --------------------------------------------------------- WebBrowserHost

// An empty place until the model creates its browser; browsers are made on
// first use only, so a hundred tabs cost nothing until they are used.
class BrowserHostBinding : public WidgetBinding<framework::WebBrowserHost, Bound<QWidget>> {
public:
    BrowserHostBinding(BinderImpl& impl, framework::WebBrowserHost& host, ControlBinding* parent)
        : WidgetBinding(impl, host, parent)
    {
        box_ = new QVBoxLayout(w_);
        box_->setContentsMargins(0, 0, 0, 0);
        box_->setSpacing(0);
        createdId_ = host.browserCreated.connect([alive = impl.alive(), this] {
            if (*alive)
                insertBrowser();
        });
        prepareWindowSurface();
        insertBrowser();
    }

    void detachModel() override
    {
        if (createdId_)
            model_.browserCreated.disconnect(createdId_);
        createdId_ = 0;
        ControlBinding::detachModel();
    }

    void browserProviderChanged() override
    {
        prepareWindowSurface();
        insertBrowser();
    }

    void releaseForeignWidgets() override
    {
        if (!browser_)
            return;
        box_->removeWidget(browser_);
        browser_->hide();
        browser_->setParent(nullptr);
        browser_ = nullptr;
    }

private:
    // A browser draws through a Qt Quick widget. One that draws through
    // OpenGL textures needs the window's native surface to be of its kind;
    // Qt replaces the window of a plain widget (a new window id, a visible
    // flicker) when the first one comes in. A hidden widget of that kind,
    // there before the window is first shown, gives the window the right
    // surface from the start, at the price of OpenGL at its first showing.
    // Drawn by Qt Quick's software renderer (the program's default) the
    // view is an ordinary widget and needs nothing.
    void prepareWindowSurface()
    {
        QWidget* window = widget_ ? widget_->window() : nullptr;
        if (!window || !impl().browserProvider || window->testAttribute(Qt::WA_WState_Created))
            return;
        if (!browserctl::softwareViews())
            browserctl::engine::addWindowSurface(window);
    }

    void insertBrowser()
    {
        if (browser_ || !model_.created() || !impl().browserProvider)
            return;
        QWidget* browser = nullptr;
        framework::WebBrowserHost* host = &model_;
        auto provider = impl().browserProvider;
        impl().dispatch([&browser, host, &provider] { browser = provider(*host); });
        if (!browser)
            return;
        browser_ = browser;
        box_->addWidget(browser);
        browser->show();
    }

    QVBoxLayout* box_;
    QPointer<QWidget> browser_;
    int createdId_ = 0;
};

} // namespace

void addOtherBindings(BindingFactories& table)
{
    addBinding<framework::PageControl, PageControlBinding>(table);
    addBinding<framework::TabSheet, TabSheetBinding>(table);
    addBinding<framework::Panel, PanelBinding>(table);
    // A balloon floats over the window, in no parent.
    table.emplace(typeid(framework::Balloon),
                  [](BinderImpl& impl, framework::Control& model, ControlBinding*) -> std::unique_ptr<ControlBinding> {
                      return std::make_unique<BalloonBinding>(impl, static_cast<framework::Balloon&>(model));
                  });
    addBinding<framework::GroupBox, GroupBoxBinding>(table);
    addBinding<framework::ToolBar, ToolBarBinding>(table);
    addBinding<framework::ToolButton, ToolButtonBinding>(table);
    addBinding<framework::Button, ButtonBinding>(table);
    addBinding<framework::CheckBox, CheckBoxBinding>(table);
    addBinding<framework::RadioButton, RadioButtonBinding>(table);
    addBinding<framework::UpDown, UpDownBinding>(table);
    addBinding<framework::Splitter, SplitterBinding>(table);
    addBinding<framework::Animate, AnimateBinding>(table);
    addBinding<framework::WebBrowserHost, BrowserHostBinding>(table);
}

} // namespace ui::detail
