#include "shell/long_run.hpp"

#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVariant>
#include <exception>
#include <thread>
#include <vector>

namespace egm2008 {

namespace {

constexpr int kTickMilliseconds = 100;

// For the length of a run: the window's controls disabled but Cancel (the
// labels of the status line stay readable), the bar and Cancel shown, close
// requests turned into a stop.
class RunScope : public QObject {
public:
    RunScope(QWidget* window, RunMeter& meter) : window_(window), meter_(meter) {
        bar_ = window->findChild<QProgressBar*>(QStringLiteral("runProgress"));
        cancel_ = window->findChild<QPushButton*>(QStringLiteral("runCancel"));
        for (QWidget* child : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (child->isWindow() || !child->isEnabled() || HoldsRunControls(child) ||
                qobject_cast<QLabel*>(child) != nullptr) {
                continue;
            }
            child->setEnabled(false);
            disabled_.push_back(child);
        }
        if (bar_ != nullptr) {
            bar_->setRange(0, 0);
            bar_->show();
        }
        if (cancel_ != nullptr) {
            cancel_->setEnabled(true);
            cancel_->show();
            cancel_->setFocus();
            connect(cancel_, &QPushButton::clicked, this, [this] { Stop(); });
        }
        window->setProperty(kRunActiveProperty, true);
        window->installEventFilter(this);
    }

    ~RunScope() override {
        if (window_ == nullptr) return;
        window_->removeEventFilter(this);
        window_->setProperty(kRunActiveProperty, false);
        if (bar_ != nullptr) bar_->hide();
        if (cancel_ != nullptr) cancel_->hide();
        for (const QPointer<QWidget>& child : disabled_) {
            if (child != nullptr) child->setEnabled(true);
        }
        if (closeAfter_)
            QTimer::singleShot(0, window_.data(), [w = window_] {
                if (w != nullptr) w->close();
            });
    }

    void ShowMeter() {
        if (bar_ == nullptr) return;
        const auto total = meter_.total.load(std::memory_order_relaxed);
        if (total <= 0) return;
        const auto done = meter_.done.load(std::memory_order_relaxed);
        // The bar counts in thousandths: an int range holds any file size so.
        bar_->setRange(0, 1000);
        bar_->setValue(static_cast<int>(std::min<std::int64_t>(done, total) * 1000 / total));
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_) {
            if (event->type() == QEvent::Close) {
                closeAfter_ = true;
                Stop();
                event->ignore();
                return true;
            }
            if (event->type() == QEvent::KeyPress &&
                static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
                Stop();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool HoldsRunControls(QWidget* child) const {
        return child == bar_ || child == cancel_ ||
               (bar_ != nullptr && child->isAncestorOf(bar_)) ||
               (cancel_ != nullptr && child->isAncestorOf(cancel_));
    }
    void Stop() {
        meter_.stopFlag.store(1, std::memory_order_relaxed);
        if (cancel_ != nullptr) cancel_->setEnabled(false);
    }

    QPointer<QWidget> window_;
    RunMeter& meter_;
    QProgressBar* bar_ = nullptr;
    QPushButton* cancel_ = nullptr;
    std::vector<QPointer<QWidget>> disabled_;
    bool closeAfter_ = false;
};

}  // namespace

void RunOffThread(QWidget* window, RunMeter& meter, const std::function<void()>& work,
                  const std::function<void()>& tick) {
    RunScope scope(window, meter);
    QEventLoop loop;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        scope.ShowMeter();
        tick();
    });
    std::exception_ptr failure;
    // The quit is queued: it ends the loop even when the work ends before the loop starts.
    std::thread runner([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    timer.start(kTickMilliseconds);
    loop.exec();
    runner.join();
    timer.stop();
    scope.ShowMeter();
    tick();
    if (failure) std::rethrow_exception(failure);
}

bool RunIsActive(const QWidget* window) {
    return window != nullptr && window->property(kRunActiveProperty).toBool();
}

}  // namespace egm2008
