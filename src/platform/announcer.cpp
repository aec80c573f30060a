#include "platform/announcer.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QtGlobal>

namespace platform {

#if QT_VERSION < QT_VERSION_CHECK(6, 8, 0)
namespace {

// Drawn nowhere: no size, no background, no focus, no mouse.
class NotificationWidget : public QWidget {
public:
    explicit NotificationWidget(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("annonce"));
        setFocusPolicy(Qt::NoFocus);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setGeometry(0, 0, 0, 0);
    }
};

QAccessibleInterface* NotificationAccessible(const QString&, QObject* object) {
    if (auto* w = dynamic_cast<NotificationWidget*>(object)) return new QAccessibleWidget(w, QAccessible::Notification);
    return nullptr;
}

}  // namespace
#endif

Announcer::Announcer(QWidget* window) : window_(window) {}

Announcer::~Announcer() {
    for (QPointer<QWidget>& n : notifications_) delete n.data();
}

void Announcer::Say(const QString& text) {
    if (!window_ || text.isEmpty() || !QAccessible::isActive()) return;
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    QAccessibleAnnouncementEvent event(window_, text);
    event.setPoliteness(QAccessible::AnnouncementPoliteness::Polite);
    QAccessible::updateAccessibility(&event);
#else
    static const bool installed = [] {
        QAccessible::installFactory(NotificationAccessible);
        return true;
    }();
    Q_UNUSED(installed);
    QPointer<QWidget>& notification = notifications_[next_];
    next_ = (next_ + 1) % notifications_.size();
    if (!notification) notification = new NotificationWidget(window_);
    // Screen readers read a notification when it appears, so each text shows it anew.
    notification->hide();
    notification->setAccessibleName(text);
    notification->show();
#endif
}

}  // namespace platform
