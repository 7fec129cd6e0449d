#include "ui/qt/qt_window_system.h"

#include <QApplication>
#include <QMessageBox>

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
    // A survey yields after every directory entry, often well under a microsecond apart, so
    // even reading the clock each time would cost a tenth of the survey: the clock is read
    // every `checkStride_` calls, a stride that adapts so that reads come about every
    // millisecond.
    if (++callsSinceCheck_ < checkStride_) {
        return;
    }
    callsSinceCheck_ = 0;
    if (!clock_.isValid()) {
        clock_.start();
    }
    const qint64 now = clock_.nsecsElapsed();
    adaptStride(now - lastCheck_);
    lastCheck_ = now;
    if (handedOver_ && now - lastHandOver_ < std::chrono::nanoseconds{eventInterval_}.count()) {
        return;
    }
    showRequestedPointer();
    if (beforeEvents_) {
        beforeEvents_();
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    handedOver_ = true;
    lastHandOver_ = clock_.nsecsElapsed();
    lastCheck_ = lastHandOver_;
}

void QtWindowSystem::adaptStride(qint64 sinceLastCheck)
{
    constexpr qint64 kCheckEvery = std::chrono::nanoseconds{std::chrono::milliseconds{1}}.count();
    constexpr int kLongestStride = 1024;
    if (eventInterval_.count() == 0) {
        checkStride_ = 1;
    } else if (sinceLastCheck < kCheckEvery / 2 && checkStride_ < kLongestStride) {
        checkStride_ *= 2;
    } else if (sinceLastCheck > kCheckEvery * 2 && checkStride_ > 1) {
        checkStride_ /= 2;
    }
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
    QMessageBox box{QMessageBox::NoIcon, QStringLiteral("mezu"), messageBoxText(text), QMessageBox::Ok,
                    window_};
    box.exec();
}

QString messageBoxText(const std::string& text)
{
    QString shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    shown.replace(QChar{kCarriageReturn}, QChar{kLineFeed});
    return shown;
}

}  // namespace mezu
