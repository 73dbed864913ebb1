#pragma once
#include <gtest/gtest.h>
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

// Acts on the next modal dialog from inside its own event loop: the step runs as soon as the dialog's
// loop turns, before any clock-driven event. Arm it only right before a call that opens a dialog.
// `opened` (optional) records whether a modal dialog was there to act on.
inline void WhenModalOpens(std::function<void(QWidget*)> step, std::shared_ptr<bool> opened = nullptr) {
    QTimer::singleShot(0, qApp, [step = std::move(step), opened] {
        QWidget* modal = QApplication::activeModalWidget();
        if (opened)
            *opened = modal != nullptr;
        if (modal != nullptr)
            step(modal);
    });
}

// A window's control by its designer name, as TMainForm::Find gives the main window's, e.g.
// Child<QLineEdit>(dialog, "Edit1"); null, and a failed test, when the window has no such control.
template <class T>
T* Child(const QWidget& window, const QString& objectName) {
    T* found = window.findChild<T*>(objectName);
    if (found == nullptr)
        ADD_FAILURE() << window.objectName().toStdString() << " has no control " << objectName.toStdString();
    return found;
}
