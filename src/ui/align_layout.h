#pragma once
// Places a container's child widgets by their control models' alignment,
// as the forms are designed:
//
//   - Top children take the full remaining width at the top, each with its
//     model height, in creation order; then Bottom children at the bottom;
//     then Left children the full remaining height at the left, each with
//     its model width; then Right children; a Client child fills what is
//     left. Aligning by kind first (not purely by creation order) is what
//     lets a Client control created before a Right panel leave the panel
//     its room.
//   - Children without alignment sit at their model left/top/width/height,
//     measured from the container's top-left corner (a group box's caption
//     area included), which is what the forms' coordinates assume.
//   - Invisible children take no space.
//   - Sizes and positions are the models' design units turned into pixels
//     by the binder's scale. A child that shows a text (label, button,
//     check or radio button, group box caption) grows where it is too
//     small to show it whole at its real font: a child without alignment
//     in both directions, a left or right one in width, a top or bottom
//     one in height.
//
// In flow mode (tool bars) the children stand side by side from the left in
// creation order, each as wide as it wants to be and as high as the bar.

#include "ui/qt_keywords.h"

#include <QLayout>

#include "ui/scale.h"

#include <functional>
#include <vector>

namespace framework {
class Control;
}

namespace ui {

class AlignLayout : public QLayout {
public:
    AlignLayout(QWidget* parent, const Scale& scale);
    ~AlignLayout() override;

    // Appends a child widget and the model that says where it goes.
    void addControl(QWidget* widget, framework::Control* model);

    void setFlow(bool flow) { flow_ = flow; }
    bool flow() const { return flow_; }

    // Places every child again for the container's current size.
    void relayout();

    // The control a splitter resizes: the one placed just before it on the
    // same side, null when there is none.
    framework::Control* neighbourOf(const framework::Control* splitter) const;

    // Told about each aligned child's rectangle after placing it, so the
    // model can carry the size the alignment gave it.
    std::function<void(framework::Control&, const QRect&)> placed;

    // QLayout
    void addItem(QLayoutItem* item) override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    int count() const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;

private:
    struct Entry {
        QLayoutItem* item;
        framework::Control* model;
    };
    void place(const QRect& area);
    std::vector<Entry> entries_;
    std::vector<std::pair<const framework::Control*, framework::Control*>> neighbours_;
    bool flow_ = false;
    const Scale& scale_;
};

// The smallest size at which the widget shows its text whole at its font
// (labels, buttons, check and radio buttons, tool buttons, group box
// captions); 0 × 0 for every other widget and for an empty text.
QSize textFitSize(const QWidget* widget);

} // namespace ui
