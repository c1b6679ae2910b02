#pragma once
// Shared set-up of the binder tests: an Application on scripted services,
// a Binder, and input sent to widgets the way Qt delivers it. The binder's
// scale is 1 (a design unit is a pixel), so the tests speak pixels.

#include "ui/qt_keywords.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/application.h"
#include "framework/scripted.h"
#include "ui/binder.h"

namespace uitest {

class BinderTest : public ::testing::Test {
protected:
    BinderTest()
        : app(std::make_unique<framework::Application>(services.services())),
          binder(std::make_unique<ui::Binder>(*app, 1.0))
    {
    }

    ~BinderTest() override
    {
        // The binder goes before the forms it shows.
        binder.reset();
        app.reset();
    }

    // Creates a form the way the program does and brings its window up to
    // date.
    template <class F> F& create(bool visible = true)
    {
        F* form = nullptr;
        app->createForm(form, visible);
        binder->flush();
        return *form;
    }

    template <class W> W* widget(const framework::Component& component) const
    {
        return qobject_cast<W*>(binder->widgetOf(component));
    }

    framework::ScriptedServices services;
    std::unique_ptr<framework::Application> app;
    std::unique_ptr<ui::Binder> binder;
};

// The widget a scroll area's mouse events go to.
inline QWidget* mouseTarget(QWidget* widget)
{
    if (auto* area = qobject_cast<QAbstractScrollArea*>(widget))
        return area->viewport();
    return widget;
}

inline void sendMouse(QWidget* target, QEvent::Type type, QPoint pos, Qt::MouseButton button = Qt::LeftButton)
{
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(type, QPointF(pos), QPointF(target->mapToGlobal(pos)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// A press and release at pos of the widget (its viewport for scroll areas).
inline void click(QWidget* widget, QPoint pos, Qt::MouseButton button = Qt::LeftButton)
{
    QWidget* target = mouseTarget(widget);
    sendMouse(target, QEvent::MouseButtonPress, pos, button);
    sendMouse(target, QEvent::MouseButtonRelease, pos, button);
}

inline void doubleClick(QWidget* widget, QPoint pos)
{
    QWidget* target = mouseTarget(widget);
    sendMouse(target, QEvent::MouseButtonPress, pos);
    sendMouse(target, QEvent::MouseButtonRelease, pos);
    sendMouse(target, QEvent::MouseButtonDblClick, pos);
    sendMouse(target, QEvent::MouseButtonRelease, pos);
}

inline void pressKey(QWidget* widget, int key, const QString& text = {}, Qt::KeyboardModifiers modifiers = {})
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(widget, &release);
}

// Types text character by character, as a keyboard does.
inline void typeText(QWidget* widget, const QString& text)
{
    for (const QChar c : text) {
        const int key = c.isLetter() ? Qt::Key_A + (c.toUpper().unicode() - 'A') : c.unicode();
        pressKey(widget, key, QString(c), c.isUpper() ? Qt::ShiftModifier : Qt::NoModifier);
    }
}

} // namespace uitest
