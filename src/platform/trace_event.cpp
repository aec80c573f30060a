#include "platform/trace_event.h"

namespace platform {

namespace {

QString TwipsText(double v) { return QString::number(v, 'f', 1); }

QString What(const TraceEvent& e) {
    using K = TraceEvent::Kind;
    switch (e.kind) {
    case K::Picture:
        return QStringLiteral("picture ") + (e.resource != 0 ? QString::number(e.resource) : e.text);
    case K::PictureRemoved: return QStringLiteral("picture (none)");
    case K::Move: return QStringLiteral("move %1,%2").arg(TwipsText(e.x), TwipsText(e.y));
    case K::Size: return QStringLiteral("size %1x%2").arg(TwipsText(e.x), TwipsText(e.y));
    case K::Show: return QStringLiteral("show");
    case K::Hide: return QStringLiteral("hide");
    case K::Enable: return QStringLiteral("enable");
    case K::Disable: return QStringLiteral("disable");
    case K::Caption: return QStringLiteral("caption ") + e.text;
    case K::Click: return QStringLiteral("click");
    case K::Beep: return QStringLiteral("beep");
    case K::SoundOpen: return QStringLiteral("sound open");
    case K::SoundPlay: return QStringLiteral("sound sound ") + e.text;
    case K::SoundStop: return QStringLiteral("sound stop");
    case K::SoundClose: return QStringLiteral("sound close");
    }
    return {};
}

}  // namespace

QString TraceEvent::ToText() const {
    using K = TraceEvent::Kind;
    const bool ofControl = kind != K::Beep && kind != K::SoundOpen && kind != K::SoundPlay && kind != K::SoundStop &&
                           kind != K::SoundClose;
    return ofControl ? control + QLatin1Char(' ') + What(*this) : What(*this);
}

}  // namespace platform
