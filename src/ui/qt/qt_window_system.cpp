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
    if (sinceEvents_.isValid() && sinceEvents_.elapsed() < eventInterval_.count()) {
        return;
    }
    if (beforeEvents_) {
        beforeEvents_();
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    sinceEvents_.start();
}

void QtWindowSystem::setMousePointer(MousePointer pointer)
{
    if (window_ == nullptr) {
        return;
    }
    if (pointer == MousePointer::Busy) {
        window_->setCursor(Qt::WaitCursor);
    } else {
        window_->unsetCursor();
    }
}

void QtWindowSystem::messageBox(const std::string& text)
{
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
