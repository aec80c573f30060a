#include "support/lesson.h"

#include "course_window/sl_mm.h"

#include <QLabel>
#include <algorithm>

#include <vector>

namespace testsupport {

Lesson::Lesson(bool start, std::function<void(VirtualPlatform&)> setUp, const QString& course,
               const std::function<ObservateurLecon*()>& observateur, int numero) {
    if (course.isEmpty()) {
        folder = std::make_unique<QTemporaryDir>();
        WriteCourse(folder->path());
    }
    vp.currentDirectory = folder ? folder->path() : course;
    if (setUp) setUp(vp);
    platform::RunHandler([this, numero] { seance = content::SeanceAJouer(vp.currentDirectory, numero); });
    w = std::make_unique<Cour1p>(observateur ? observateur() : nullptr, &seance);
    vp.ClearTraces();  // what construction sets up is the design state, not something that happened
    if (start) {
        // As the toolkit runs them: an error is reported, and ends the run with ProgramEnded.
        platform::RunHandler([this] { w->Form_Load(); });
        platform::RunHandler([this] { w->Form_Activate(); });
    }
}

Lesson::~Lesson() { SL_MM::Forget(); }

int Lesson::Loaded(const QString& file) const {
    int n = 0;
    for (const TraceLine& line : vp.Traces()) {
        if (line.event.endsWith(QStringLiteral(" picture ") + file)) ++n;
    }
    return n;
}

void Lesson::Click(platform::CommandButton& button) {
    if (button.Reachable()) button.Click();
}

void StartEvaluation(Lesson& l, int16_t question) {
    l.w->NumPage = 18;
    l.w->NumQuestion = question;
    l.Click(l.w->B_Pag_S);
}

QList<int> AnswersTopToBottom(Lesson& l) {
    QList<int> order{0, 1, 2, 3};
    std::sort(order.begin(), order.end(), [&](int a, int b) { return l.w->Option1(a).Top() < l.w->Option1(b).Top(); });
    return order;
}

void Lesson::ClickAt(qint64 ms, platform::CommandButton& button) {
    vp.At(ms, [&button] {
        if (button.Reachable()) button.Click();
    });
}

QStringList TracesFrom(const Lesson& l, qint64 ms, const QStringList& prefixes, qint64 origin) {
    QStringList out;
    for (const TraceLine& t : l.vp.Traces()) {
        if (t.ms < ms) continue;
        for (const QString& p : prefixes) {
            if (t.event.startsWith(p)) {
                out << QStringLiteral("%1 %2").arg(t.ms - origin).arg(t.event);
                break;
            }
        }
    }
    return out;
}

namespace {
void ScreenOf(const platform::Container& container, QStringList& out) {
    for (const platform::Control* c : container.Children()) {
        const QWidget* widget = c->Widget();
        if (!widget || !widget->isVisibleTo(widget->window())) continue;
        const QPoint at = widget->mapTo(widget->window(), QPoint(0, 0));
        QString line = QStringLiteral("%1 %2,%3 %4x%5").arg(c->Name()).arg(at.x()).arg(at.y()).arg(widget->width()).arg(widget->height());
        if (const auto* label = dynamic_cast<const platform::Label*>(c)) line += QStringLiteral(" \"") + label->Caption() + QLatin1Char('"');
        out << line;
        if (const auto* inner = dynamic_cast<const platform::Container*>(c)) ScreenOf(*inner, out);
    }
}
}  // namespace

QStringList Screen(const Cour1p& w) {
    QStringList out;
    ScreenOf(w.Form, out);
    return out;
}

QString ControlName(const QObject* widget) {
    return widget ? widget->property(platform::kControlProperty).toString() : QString();
}

QRect OnScreen(const platform::Control& c) {
    const QWidget* widget = c.Widget();
    return QRect(widget->mapTo(widget->window(), QPoint(0, 0)), widget->size());
}

QRect SeenOf(const platform::Control& c) {
    const QWidget* widget = c.Widget();
    QRect seen = OnScreen(c);
    for (const QWidget* p = widget->parentWidget(); p; p = p->parentWidget())
        seen &= p->isWindow() ? p->rect() : QRect(p->mapTo(p->window(), QPoint(0, 0)), p->size());
    return seen;
}

bool ReadsWhole(const platform::Label& label) {
    const auto* widget = static_cast<const QLabel*>(label.Widget());
    const QSize text = widget->wordWrap() ? QSize(widget->width(), widget->heightForWidth(widget->width()))
                                          : widget->sizeHint();
    return SeenOf(label) == OnScreen(label) && text.width() <= widget->width() && text.height() <= widget->height();
}

QString PhotographsApart(const Cour1p& w) {
    const QRect slide = OnScreen(w.Picture1);
    std::vector<std::pair<QString, QRect>> shown;
    for (const platform::PictureBox* box : {&w.Picture2, &w.Picture3, &w.Picture4})
        if (box->Visible()) shown.emplace_back(box->Name(), OnScreen(*box));
    for (size_t i = 0; i < shown.size(); ++i) {
        const auto& [name, r] = shown[i];
        if (!slide.contains(r)) return name + QStringLiteral(" juts out of the slide");
        for (size_t j = i + 1; j < shown.size(); ++j)
            if (r.intersects(shown[j].second)) return name + QStringLiteral(" overlaps ") + shown[j].first;
        if (i == 0) continue;
        if (r.top() <= shown[i - 1].second.bottom()) return name + QStringLiteral(" is not under ") + shown[i - 1].first;
        if (r.right() > shown[0].second.right()) return name + QStringLiteral(" reaches right of ") + shown[0].first;
    }
    return {};
}

bool RunFrom(Lesson& l, platform::CommandButton& button) {
    try {
        l.Click(button);
        for (;;) l.vp.Yield(std::nullopt);
    } catch (const RunStopped&) {
        return true;
    } catch (const ProgramEnded&) {
    }
    return false;
}

bool StoppedInside(Lesson& l, platform::CommandButton& button) {
    try {
        l.Click(button);
    } catch (const RunStopped&) {
        return true;
    }
    return false;
}

}  // namespace testsupport
