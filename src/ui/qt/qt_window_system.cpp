// SPDX-License-Identifier: MIT
#include "ui/qt/qt_window_system.h"

#include <QApplication>
#include <QMessageBox>

#include "ui/qt/qt_text.h"

namespace mezu {
namespace {

constexpr char16_t kCarriageReturn = u'\r';
constexpr char16_t kLineFeed = u'\n';

}  // namespace

void QtWindowSystem::attach(QWidget* window, std::function<void()> beforeEvents)
{
    window_ = window;
    beforeEvents_ = std::move(beforeEvents);
}

void QtWindowSystem::yield()
{
    if (!throttle_.due()) {
        return;
    }
    showRequestedPointer();
    if (beforeEvents_) {
        beforeEvents_();
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    throttle_.handedOver();
}

void QtWindowSystem::setMousePointer(MousePointer pointer)
{
    requestedPointer_ = pointer;
}

void QtWindowSystem::showRequestedPointer()
{
    if (window_ == nullptr || requestedPointer_ == shownPointer_) {
        return;
    }
    if (requestedPointer_ == MousePointer::Busy) {
        window_->setCursor(Qt::WaitCursor);
    } else {
        window_->unsetCursor();
    }
    shownPointer_ = requestedPointer_;
}

void QtWindowSystem::messageBox(const std::string& text)
{
    showRequestedPointer();
    QMessageBox box{QMessageBox::NoIcon, QStringLiteral("mezu"), messageBoxText(text), QMessageBox::Ok, window_};
    box.exec();
}

QString messageBoxText(const std::string& text)
{
    QString shown = qtText(text);
    shown.replace(QChar{kCarriageReturn}, QChar{kLineFeed});
    return shown;
}

}  // namespace mezu
