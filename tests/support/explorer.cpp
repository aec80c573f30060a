#include "support/explorer.h"

#include "about/apropos.h"
#include "course_window/m_orvalis2.h"
#include "platform/platform.h"
#include "content/script_seance.h"
#include "platform/wave_decode.h"
#include "support/lesson.h"

#include <QKeySequence>
#include <QDeadlineTimer>
#include <QDir>
#include <QRegularExpression>
#include <QtTest>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <optional>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <set>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport::explorer {

namespace {

// --- drawing -----------------------------------------------------------------------------------

// splitmix64: the same numbers from a seed on every machine and library version.
struct Rng {
    uint64_t s;
    uint64_t Next() {
        uint64_t z = (s += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int Below(int n) { return static_cast<int>(Next() % static_cast<uint64_t>(n)); }
    bool Chance(int percent) { return Below(100) < percent; }
};

const std::vector<int> kMainKeys{Qt::Key_Right, Qt::Key_Left, Qt::Key_PageDown, Qt::Key_PageUp, Qt::Key_Up,
                                 Qt::Key_Down,  Qt::Key_Space, Qt::Key_Return,  Qt::Key_Tab,    Qt::Key_Escape,
                                 Qt::Key_1,     Qt::Key_2,     Qt::Key_3,       Qt::Key_4};

struct Names {
    Gesture gesture;
    const char* name;
};
const Names kNames[] = {{Gesture::Previous, "previous"}, {Gesture::Next, "next"},         {Gesture::Key, "key"},
                        {Gesture::Logo, "logo"},         {Gesture::AboutOk, "about-ok"},  {Gesture::AboutKey, "about-key"},
                        {Gesture::AboutClose, "about-close"}, {Gesture::Answer, "answer"}, {Gesture::Validate, "validate"},
                        {Gesture::Settle, "settle"},     {Gesture::Fermer, "fermer"}};

bool HasKey(Gesture g) { return g == Gesture::Key || g == Gesture::AboutKey; }

QString KeyName(int key) { return QKeySequence(key).toString(QKeySequence::PortableText); }

// The instant of the next event after t: often the same one or a tick's, otherwise anywhere
// from a few milliseconds to the seconds that let animations and pauses run their course.
qint64 Gap(Rng& r, qint64 t) {
    const int kind = r.Below(100);
    if (kind < 20) return t;
    if (kind < 45) return (t / 100 + 1 + r.Below(3)) * 100;
    if (kind < 80) return t + 1 + r.Below(600);
    if (kind < 92) return t + 600 + r.Below(2400);
    return t + 3000 + r.Below(13000);
}

// --- the child ---------------------------------------------------------------------------------

// What the explorer must know of the séance it plays to check it: each page's slides and pictures,
// how long its loop runs, and where the evaluation stands. Séance 1's own pages are tables, what the
// lesson is known to show; a teacher's séance's are read from its script.
struct PagePlan {
    QStringList slides;     // what Picture1 may show once the page has run its first tick
    QStringList pictures;   // what the photograph boxes may show
    qint64 runLength = 0;   // from its entry to the end of its loop, a tick to spare
    bool animated = false;  // its loop hands over to an animation that never ends
};

struct Plan {
    std::vector<PagePlan> pages;
    int evaluation = 19;
    int strips = 14;  // the page of the two electron strips and their captions, if any
    int Closing() const { return evaluation + 1; }
    const PagePlan& Page(int p) const {
        static const PagePlan none;
        return p >= 0 && p < static_cast<int>(pages.size()) ? pages[static_cast<size_t>(p)] : none;
    }
    // Sequences are drawn for séance 1 (starting on page 0, 12 or 17): another séance starts at
    // the same place relative to its evaluation, or just before if an animation holds that page
    // (the walk there must come to its end before the sequence starts).
    int Start(int drawn) const {
        int page = drawn * evaluation / 19;
        while (page > 0 && Page(page).animated) --page;
        return page;
    }
};

Plan BuiltInPlan() {
    static const std::map<int, QStringList> kPhotos{
        {1, {"Img1.jpg", "Img2.jpg", "Img3.jpg"}}, {2, {"Img6.jpg", "Img7.jpg", "Img8.jpg"}},
        {3, {"Img9.jpg", "Img10.jpg"}},           {9, {"Img11.jpg", "Img12.jpg"}},
        {11, {"Img13.jpg", "Img14.jpg", "Img15.jpg"}}, {12, {"Img17.jpg", "Img16.jpg", "Img18.jpg"}},
        {13, {"111", "112", "113", "114", "115", "Img19.jpg"}},
        {14, {"116", "117", "118", "119", "120", "121", "122"}}, {16, {"Img20.jpg"}}};
    Plan plan;
    for (int p = 0; p <= 20; ++p) {
        PagePlan page;
        page.slides = {p <= 18 ? QStringLiteral("Diapo%1.emf").arg(p) : QStringLiteral("(none)")};
        if (const auto it = kPhotos.find(p); it != kPhotos.end()) page.pictures = it->second;
        switch (p) {
            case 0: case 19: case 20: page.runLength = 0; break;
            case 8: case 10: case 17: case 18: page.runLength = 1200; break;
            case 9: page.runLength = 3200; break;
            case 15: case 16: page.runLength = 2200; break;
            default: page.runLength = 4200;
        }
        page.animated = p == 13 || p == 14;
        plan.pages.push_back(page);
    }
    return plan;
}

QStringList Resources(int first, int last) {
    QStringList ids;
    for (int id = first; id <= last; ++id) ids << QString::number(id);
    return ids;
}

// dossier: the séance's folder, whose sounds set how long a page that ends after them runs.
Plan ScriptPlan(const content::ScriptSeance& script, const QString& dossier) {
    using content::AnimationScript;
    using content::PageScript;
    Plan plan;
    plan.evaluation = script.PageEvaluation();
    plan.strips = -1;
    for (const PageScript& p : script.pages) {
        PagePlan page;
        if (p.type == PageScript::Type::Titre) page.slides << p.diapositive;
        if (p.type == PageScript::Type::Evaluation || p.type == PageScript::Type::Cloture) page.slides << QStringLiteral("(none)");
        for (const content::EtapeScript& e : p.etapes) (e.diapositive ? page.slides : page.pictures) << e.fichier;
        if (p.type == PageScript::Type::Diapositive) page.runLength = p.fin * 100LL + 200;
        if (p.finApresSon)
            page.runLength = p.sons.back().instant * 100LL + platform::SoundMilliseconds(QDir(dossier).filePath(p.sons.back().fichier)) + 300;
        if (const std::optional<AnimationScript>& a = p.animation) {
            page.animated = true;
            switch (a->genre) {
                case AnimationScript::Genre::Images: page.pictures << a->images; break;
                case AnimationScript::Genre::Circuit: page.pictures << Resources(111, 115); break;
                case AnimationScript::Genre::Courants:
                    page.pictures << Resources(116, 122);
                    plan.strips = static_cast<int>(plan.pages.size());
                    break;
            }
            if (a->photo) page.pictures << a->photo->fichier;
        }
        plan.pages.push_back(page);
    }
    return plan;
}

// Séance 1's own pages are checked against what the lesson is known to show, not against their script.
Plan PlanOf(const Lesson& l) { return l.seance.scriptIntegre ? BuiltInPlan() : ScriptPlan(l.seance.script, l.seance.dossier); }

// The screens of a direct visit, by course and séance, then by page.
std::map<QString, std::map<int, QStringList>> g_direct;

QString DirectKey(const QString& course, int seance) { return course + QStringLiteral("#%1").arg(seance); }

// A learner who goes from page 0 to target with the next button, letting each page run to its
// end, except the animated pages, left after 1.5 s. Returns the time target is entered.
qint64 ScheduleWalk(Lesson& l, const Plan& plan, int target) {
    qint64 t = 0;
    for (int p = 1; p <= target; ++p) {
        l.ClickAt(t, l.w->B_Pag_S);
        if (p < target) t += plan.Page(p).animated ? 1500 : plan.Page(p).runLength;
    }
    return t;
}

// The toolkit's own event loop until ms.
void RunUntil(Lesson& l, qint64 ms) {
    bool done = false;
    l.vp.At(ms, [&] { done = true; });
    while (!done) l.vp.Yield(std::nullopt);
}

qint64 ResidentKb() {
    // Read with a plain read: stdio's first use in a child costs more than the reading itself.
    char text[128] = {};
    const int fd = open("/proc/self/statm", O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    const ssize_t n = read(fd, text, sizeof text - 1);
    close(fd);
    long size = 0, resident = 0;
    if (n <= 0 || std::sscanf(text, "%ld %ld", &size, &resident) != 2) return 0;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

class Child {
public:
    // Starts the lesson of a séance of course, as the program starts it, and walks it to the page
    // where sequences drawn with start begin.
    Child(const QString& course, int seance, int start) {
        lesson_ = std::make_unique<Lesson>(true, [](VirtualPlatform& vp) {
            // The answers' order is drawn from these: the same for a sequence and its shrunk forms.
            Rng r{20261207};
            for (int i = 0; i < 400; ++i) vp.randomValues.push_back(double(r.Below(1000)) / 1000.0);
        }, course, std::function<ObservateurLecon*()>{}, seance);
        Lesson& l = *lesson_;
        l_ = &l;
        w_ = l.w.get();
        plan_ = PlanOf(l);
        direct_ = &g_direct[DirectKey(course, seance)];
        if (const int page = plan_.Start(start); page > 0)
            RunUntil(l, ScheduleWalk(l, plan_, page) + plan_.Page(page).runLength);
    }

    // Plays s from there, reports on fd and ends the process.
    [[noreturn]] void Run(const Sequence& s, const Options& o, int fd) {
        s_ = s;
        o_ = o;
        fd_ = fd;
        VirtualPlatform& vp = l_->vp;
        t0_ = vp.Elapsed();
        for (const TraceLine& line : vp.Traces()) Watch(line.event);
        vp.ClearTraces();
        vp.recordTraces = o_.wantTrace;
        rssAtStart_ = ResidentKb();
        char base = 0;
        stackBase_ = &base;
        page_ = w_->NumPage;
        note_ = w_->Note;

        vp.clockReadsWithoutYield = kClockReadsWithoutYield;
        vp.onFailure = [this](const QString& why) { Fail(QStringLiteral("yield: ") + why); };
        vp.onTrace = [this](const QString& event) { Watch(event); };
        vp.afterDelivery = [this] { Check(); };
        vp.onEnd = [this](int status, const QString& message) { Ended(status, message); };

        qint64 fermer = -1;
        for (size_t i = 0; i < s_.events.size(); ++i) {
            const Event& e = s_.events[i];
            vp.At(t0_ + e.at, [this, i] { Deliver(i); });
            if (e.gesture == Gesture::Fermer && fermer < 0) fermer = e.at;
        }
        if (fermer < 0) Fail(QStringLiteral("sequence: it has no Fermer"));
        vp.At(t0_ + fermer + 1, [this] { Fail(QStringLiteral("fermer: the program did not end on Fermer")); });
        // The toolkit's own event loop, whenever no page loop runs.
        for (;;) vp.Yield(std::nullopt);
    }

private:
    void Deliver(size_t i) {
        const Event& e = s_.events[i];
        const int outer = current_;
        current_ = static_cast<int>(i);
        Cour1p& w = *w_;
        const bool validating = w.B_Valider.Reachable() && (e.gesture == Gesture::Validate || e.gesture == Gesture::Key);
        if (validating && validations_++ == 0) scored_ = 0;
        switch (e.gesture) {
            case Gesture::Previous: Press(w.B_Pag_P); break;
            case Gesture::Next: Press(w.B_Pag_S); break;
            case Gesture::Key: {
                QWidget* form = w.Form.Widget();
                QWidget* target = form->focusWidget() ? form->focusWidget() : form;
                closingKey_ = w.B_Fermer.HasFocus() &&
                              (e.arg == Qt::Key_Return || e.arg == Qt::Key_Enter || e.arg == Qt::Key_Space);
                QTest::keyClick(target, static_cast<Qt::Key>(e.arg));
                closingKey_ = false;
                break;
            }
            case Gesture::Logo:
                if (w.Image1.Reachable()) w.Image1.Click();
                break;
            case Gesture::AboutOk:
                if (Apropos::Instance()) Press(Apropos::Instance()->cmdOK);
                break;
            case Gesture::AboutKey:
                if (Apropos::Instance()) QTest::keyClick(Apropos::Instance()->Form.Widget(), static_cast<Qt::Key>(e.arg));
                break;
            case Gesture::AboutClose:
                if (Apropos::Instance()) Apropos::Instance()->Form.Widget()->close();
                break;
            case Gesture::Answer: {
                std::vector<platform::OptionButton*> shown;
                for (int k = 0; k < w.Option1.Count(); ++k)
                    if (w.Option1(k).Reachable()) shown.push_back(&w.Option1(k));
                std::sort(shown.begin(), shown.end(), [](auto* a, auto* b) { return a->Top() < b->Top(); });
                if (e.arg < static_cast<int>(shown.size())) shown[static_cast<size_t>(e.arg)]->Click();
                break;
            }
            case Gesture::Validate: Press(w.B_Valider); break;
            case Gesture::Settle: {
                const qint64 at = std::max(l_->vp.Elapsed(), pageChangedAt_ + kSettleMs);
                l_->vp.At(at, [this] { CompareWithDirectVisit(); });
                break;
            }
            case Gesture::Fermer:
                if (!w.B_Fermer.Reachable()) Fail(QStringLiteral("fermer: the button cannot be clicked"));
                w.B_Fermer.Click();
                break;
        }
        if (validating) --validations_;
        current_ = outer;
    }

    static void Press(platform::CommandButton& b) {
        if (b.Reachable()) b.Click();
    }

    // Every trace line: once the page has settled, what is drawn and shown must belong to it.
    void Watch(const QString& event) {
        NotePageChange();
        // "PictureN picture NAME" and "NAME show" are the lines that matter here.
        QString box, what;
        if (event.startsWith(QLatin1String("Picture")) && event.mid(8, 9) == QLatin1String(" picture ")) {
            box = event.left(8);
            what = event.mid(17);
            pictures_[box] = what;
        }
        // The question's own beep ends its showing: from there the keyboard must be on the top answer.
        if (event == QLatin1String("beep")) CheckQuestionStart();
        if (!Settled()) return;
        const int p = w_->NumPage;
        if (box == QLatin1String("Picture1") && !plan_.Page(p).slides.contains(what))
            Fail(QStringLiteral("page: slide %1 drawn on page %2").arg(what).arg(p));
        if (!box.isEmpty() && box != QLatin1String("Picture1") && !plan_.Page(p).pictures.contains(what))
            Fail(QStringLiteral("page: %1 drawn on page %2").arg(what).arg(p));
        if (event.endsWith(QLatin1String(" show")) && !MayShow(event.chopped(5), p))
            Fail(QStringLiteral("page: %1 shown on page %2").arg(event.chopped(5)).arg(p));
    }

    // Controls that only some pages show.
    bool MayShow(const QString& name, int p) const {
        const int evaluation = plan_.evaluation;
        if (name == QLatin1String("Label2")) return p == plan_.strips || p >= evaluation;
        if (name == QLatin1String("Label3")) return p == plan_.strips || p == evaluation;
        if (name == QLatin1String("Label4")) return p == 0;
        if (name == QLatin1String("Label6") || name == QLatin1String("Label9")) return p >= evaluation;
        if (name.startsWith(QLatin1String("Option1")) || name == QLatin1String("B_Valider")) return p == evaluation;
        return true;
    }

    // The last page asked for has had its first tick: its slide step is done.
    bool Settled() const { return w_ && l_->vp.Ticks() - ticksAtChange_ >= 2; }

    void NotePageChange() {
        if (!w_ || w_->NumPage == page_) return;
        page_ = w_->NumPage;
        pagesSeen_.insert(page_);
        ticksAtChange_ = l_->vp.Ticks();
        pageChangedAt_ = l_->vp.Elapsed();
    }

    // After every tick and every event.
    void Check() {
        Cour1p& w = *w_;
        NotePageChange();
        deepest_ = std::max(deepest_, w.Profondeur());
        if (w.Profondeur() > Cour1p::kProfondeurMax) Fail(QStringLiteral("depth: %1 page runs nested").arg(w.Profondeur()));
        char here = 0;
        stackBytes_ = std::max<qint64>(stackBytes_, stackBase_ - &here);
        if (stackBytes_ > kStackBytes) Fail(QStringLiteral("depth: %1 bytes of stack").arg(stackBytes_));
        const int p = w.NumPage;
        if (p < 0 || p > plan_.Closing()) Fail(QStringLiteral("page: NumPage %1").arg(p));
        if (Settled()) {
            for (platform::PictureBox* box : {&w.Picture2, &w.Picture3, &w.Picture4}) {
                const QString& shown = pictures_[box->Name()];
                if (box->Visible() && !plan_.Page(p).pictures.contains(shown))
                    Fail(QStringLiteral("page: %1 with %2 on page %3").arg(box->Name(), shown).arg(p));
            }
            for (const platform::Control* c : std::initializer_list<const platform::Control*>{
                     &w.Label2, &w.Label3, &w.Label4, &w.Label6, &w.Label9, &w.B_Valider, &w.Option1(0), &w.Option1(1),
                     &w.Option1(2), &w.Option1(3)}) {
                if (c->Visible() && !MayShow(c->Name(), p)) Fail(QStringLiteral("page: %1 on page %2").arg(c->Name()).arg(p));
            }
            if (w.Label1.Caption() != QString::number(p))
                Fail(QStringLiteral("page: Label1 reads %1 on page %2").arg(w.Label1.Caption()).arg(p));
            if (!plan_.Page(p).slides.contains(pictures_[QStringLiteral("Picture1")]))
                Fail(QStringLiteral("page: slide %1 shown on page %2").arg(pictures_[QStringLiteral("Picture1")]).arg(p));
        }
        CheckEvaluation();
    }

    void CheckEvaluation() {
        Cour1p& w = *w_;
        const int p = w.NumPage;
        if (w.Note != note_) {
            const double d = w.Note - note_;
            if (validations_ == 0) Fail(QStringLiteral("score: %1 to %2 without a validation").arg(note_).arg(w.Note));
            if (d != 1 && d != -0.5) Fail(QStringLiteral("score: %1 to %2").arg(note_).arg(w.Note));
            if (++scored_ > 1) Fail(QStringLiteral("score: one validation scored twice"));
            note_ = w.Note;
        }
        if (w.Note < 0 || w.Note > 20) Fail(QStringLiteral("score: %1").arg(w.Note));
        const int evaluation = plan_.evaluation;
        if (p == evaluation && !w.B_Pag_S.Enabled()) evaluation_ = true;
        if (p == plan_.Closing()) closingPage_ = true;
        if (!evaluation_) return;
        if (p < evaluation) Fail(QStringLiteral("evaluation: back to page %1").arg(p));
        if (w.B_Pag_P.Enabled() || w.B_Pag_S.Enabled()) Fail(QStringLiteral("evaluation: a page button enabled"));
        if (p == evaluation) {
            if (w.NumQuestion < 1 || w.NumQuestion > 20) Fail(QStringLiteral("evaluation: question %1").arg(w.NumQuestion));
            if (w.Label6.Caption() != QString::number(w.NumQuestion))
                Fail(QStringLiteral("evaluation: question %1 numbered %2").arg(w.NumQuestion).arg(w.Label6.Caption()));
        }
        // Written anew only when the score changes: this runs after every tick.
        if (score_.isEmpty() || w.Note != scoreOf_) {
            scoreOf_ = w.Note;
            score_ = QStringLiteral("Performance : ") + platform::NumberText(w.Note) + QStringLiteral("/20");
        }
        if (w.Label9.Caption() != score_) Fail(QStringLiteral("score: %1 shown for %2").arg(w.Label9.Caption(), score_));
    }

    // A question just shown gives the keyboard a place on the screen, never a member of Option1
    // (member 0 holds the right answer): the focus on the top answer, none chosen, Valider disabled.
    void CheckQuestionStart() {
        Cour1p& w = *w_;
        if (w.NumPage != plan_.evaluation || !w.B_Valider.Visible() || w.B_Valider.Enabled()) return;
        const platform::OptionButton* top = nullptr;
        for (int k = 0; k < w.Option1.Count(); ++k) {
            const platform::OptionButton& b = w.Option1(k);
            if (b.Value()) Fail(QStringLiteral("focus: question %1 starts with an answer chosen").arg(w.NumQuestion));
            if (b.Reachable() && (!top || b.Top() < top->Top())) top = &b;
        }
        if (top && !top->HasFocus()) {
            const QWidget* f = w.Form.Widget()->focusWidget();
            Fail(QStringLiteral("focus: question %1 starts on %2, not on the top answer")
                     .arg(w.NumQuestion)
                     .arg(f ? ControlName(f) : QStringLiteral("nothing")));
        }
    }

    void CompareWithDirectVisit() {
        Cour1p& w = *w_;
        const int p = w.NumPage;
        if (p < plan_.evaluation) {
            const QStringList now = Screen(w);
            const QStringList& direct = (*direct_)[p];
            if (now != direct)
                Fail(QStringLiteral("screen: page %1 differs from a direct visit:\n  %2\nexpected:\n  %3")
                         .arg(p)
                         .arg(now.join(QStringLiteral("\n  ")), direct.join(QStringLiteral("\n  "))));
            return;
        }
        // The evaluation depends on the answers; its layout must still hold together.
        if (p == plan_.evaluation) {
            std::vector<const platform::OptionButton*> answers;
            for (int k = 0; k < 4; ++k)
                if (w.Option1(k).Visible()) answers.push_back(&w.Option1(k));
            std::sort(answers.begin(), answers.end(), [](auto* a, auto* b) { return a->Top() < b->Top(); });
            if (answers.size() != 4 || !w.B_Valider.Visible() || !w.Label3.Visible())
                Fail(QStringLiteral("screen: a question without its four answers"));
            for (size_t k = 1; k < answers.size(); ++k)
                if (answers[k]->Top() < answers[k - 1]->Top() + answers[k - 1]->Height())
                    Fail(QStringLiteral("screen: answers overlap"));
        }
        if (p == plan_.Closing() && (!w.Label2.Visible() || !w.Label6.Visible() || w.B_Valider.Visible()))
            Fail(QStringLiteral("screen: the closing page incomplete"));
    }

    void Ended(int status, const QString& message) {
        const int i = current_;
        const bool fermer = i >= 0 && s_.events[static_cast<size_t>(i)].gesture == Gesture::Fermer;
        if (status != 0) Fail(QStringLiteral("fermer: the program ended with status %1 %2").arg(status).arg(message));
        if (!fermer && !closingKey_) Fail(QStringLiteral("fermer: the program ended on event %1").arg(i));
        if (fermer && l_->vp.Elapsed() != t0_ + s_.events[static_cast<size_t>(i)].at)
            Fail(QStringLiteral("fermer: handled late"));
        if (ResidentKb() - rssAtStart_ > kRssGrowthKb) Fail(QStringLiteral("memory: %1 KiB gained").arg(ResidentKb() - rssAtStart_));
        Report(true, {});
        _exit(0);
    }

    [[noreturn]] void Fail(const QString& why) {
        Report(false, QStringLiteral("%1 (at %2 ms, event %3)").arg(why).arg(l_ ? l_->vp.Elapsed() - t0_ : 0).arg(current_));
        _exit(3);
    }

    void Report(bool ok, const QString& failure) {
        QString out;
        out += QStringLiteral("ok %1\n").arg(ok ? 1 : 0);
        if (!ok) out += QStringLiteral("failure %1\n").arg(QString(failure).replace(QLatin1Char('\n'), QStringLiteral("\\n")));
        out += QStringLiteral("deepest %1\nstack %2\nclock %3\nrss %4\npages %5\neval %6\nclosing %7\nstorm %8\n")
                   .arg(deepest_)
                   .arg(stackBytes_)
                   .arg(l_ ? l_->vp.MostClockReadsWithoutYield() : 0)
                   .arg(ResidentKb() - rssAtStart_)
                   .arg(pagesSeen_.size())
                   .arg(evaluation_ ? 1 : 0)
                   .arg(closingPage_ ? 1 : 0)
                   .arg(deepest_ >= Cour1p::kProfondeurMax ? 1 : 0);
        if (o_.wantTrace && l_) {
            for (const TraceLine& line : l_->vp.Traces()) {
                static const QRegularExpression seen(QStringLiteral(" (picture|show|hide|caption|enable|disable)( |$)|^beep$|^end "));
                if (seen.match(line.event).hasMatch())
                    out += QStringLiteral("trace %1 %2\n").arg(line.ms - t0_).arg(line.event);
            }
        }
        const QByteArray bytes = out.toUtf8();
        for (qsizetype done = 0; done < bytes.size();) {
            const ssize_t n = write(fd_, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
            if (n <= 0) break;
            done += n;
        }
    }

    std::unique_ptr<Lesson> lesson_;
    Sequence s_;
    Options o_;
    int fd_ = -1;
    Lesson* l_ = nullptr;
    Cour1p* w_ = nullptr;
    Plan plan_;
    std::map<int, QStringList>* direct_ = nullptr;
    qint64 t0_ = 0;
    int current_ = -1;
    bool closingKey_ = false;
    int validations_ = 0;
    int scored_ = 0;
    double note_ = 0;
    double scoreOf_ = 0;
    QString score_;  // the score Label9 must show for scoreOf_
    int page_ = 0;
    int ticksAtChange_ = -2;
    qint64 pageChangedAt_ = 0;
    std::set<int> pagesSeen_;
    std::map<QString, QString> pictures_;
    bool evaluation_ = false, closingPage_ = false;
    int deepest_ = 0;
    qint64 stackBytes_ = 0;
    const char* stackBase_ = nullptr;
    qint64 rssAtStart_ = 0;
};

QString Kind(const QString& failure) { return failure.section(QLatin1Char(':'), 0, 0); }

// --- running the children ------------------------------------------------------------------------

// What a child process reported, and how it ended.
struct Ran {
    QByteArray text;
    int status = 0;       // as waitpid gives it
    double cpuMs = 0;     // the child's processor time
    bool frozen = false;  // stopped from outside after the time allowed
    QString error;        // the explorer's own trouble, when it could not run the sequence
};

bool WriteAll(int fd, const void* data, size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = write(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool ReadExactly(int fd, void* data, size_t size) {
    char* p = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t n = read(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Waits until fd can be read or the deadline passes (false).
bool WaitReadable(int fd, const QDeadlineTimer& deadline) {
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        const int n = poll(&p, 1, static_cast<int>(std::min<qint64>(deadline.remainingTime(), INT_MAX)));
        if (n > 0) return true;
        if (n == 0 || errno != EINTR) return false;
    }
}

// Reads fd to its end; false when the deadline passed first.
bool ReadToEnd(int fd, QByteArray& text, const QDeadlineTimer& deadline) {
    for (;;) {
        if (!WaitReadable(fd, deadline)) return false;
        char buf[65536];
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return true;
        text.append(buf, n);
    }
}

// Processor time a process has run, in microseconds, from the scheduler's own count: the usage
// that wait4 reports is counted in whole clock ticks, too coarse for a child of a few milliseconds.
uint32_t CpuUs(const char* process) {
    char path[64], text[96] = {};
    std::snprintf(path, sizeof path, "/proc/%s/schedstat", process);
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    const ssize_t n = read(fd, text, sizeof text - 1);
    close(fd);
    unsigned long long ns = 0;
    return n > 0 && std::sscanf(text, "%llu", &ns) == 1 ? static_cast<uint32_t>(ns / 1000) : 0;
}

// Waits for a child's end and reads its processor time before it is reaped.
uint32_t Reap(pid_t pid, int* status) {
    siginfo_t info{};
    while (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT) != 0 && errno == EINTR) {
    }
    const uint32_t us = CpuUs(QByteArray::number(pid).constData());
    while (waitpid(pid, status, 0) < 0 && errno == EINTR) {
    }
    return us;
}

// A sequence as bytes between the explorer and a prepared lesson, and back.
QByteArray Request(const Sequence& s, bool wantTrace) {
    QByteArray b;
    const int32_t head[3] = {s.seance, s.start, wantTrace ? 1 : 0};
    b.append(reinterpret_cast<const char*>(head), sizeof head);
    b.append(reinterpret_cast<const char*>(s.events.data()), static_cast<qsizetype>(s.events.size() * sizeof(Event)));
    return b;
}

Sequence FromRequest(const QByteArray& b, bool* wantTrace) {
    int32_t head[3];
    std::memcpy(head, b.constData(), sizeof head);
    Sequence s;
    s.seance = head[0];
    s.start = head[1];
    *wantTrace = head[2] != 0;
    s.events.resize((static_cast<size_t>(b.size()) - sizeof head) / sizeof(Event));
    std::memcpy(s.events.data(), b.constData() + sizeof head, s.events.size() * sizeof(Event));
    return s;
}

// Prepared lessons: for each course, séance and start page, a process that started the lesson and
// walked it to that page once, then forks a copy of itself for every sequence played from there.
// A sequence so pays neither the lesson's start (its script, questions, window) nor the walk, and
// starts from the very state a child that did both itself reaches: the virtual clock runs the same
// way every time. A prepared lesson reads its course once; PrepareDirectVisits ends the course's.
struct Prepared {
    pid_t pid = -1;    // -1: this lesson cannot be prepared; its sequences start afresh
    int control = -1;  // sequences go in; each one's child, then its report and end come back
};

class PreparedLessons {
public:
    ~PreparedLessons() {
        for (auto& [key, p] : lessons_) End(p);
    }
    Prepared* Find(const QString& key) {
        const auto it = lessons_.find(key);
        return it == lessons_.end() ? nullptr : &it->second;
    }
    Prepared& Add(const QString& key, Prepared p) { return lessons_[key] = p; }
    void Retire(const QString& prefix) {
        for (auto it = lessons_.begin(); it != lessons_.end();) {
            if (it->first.startsWith(prefix)) {
                End(it->second);
                it = lessons_.erase(it);
            } else {
                ++it;
            }
        }
    }
    // In a new child: the others' sockets are not its own to hold (a prepared lesson ends when the
    // explorer's end of its socket closes).
    void ForgetInChild() {
        for (auto& [key, p] : lessons_)
            if (p.control >= 0) close(p.control);
        lessons_.clear();
    }

private:
    static void End(Prepared& p) {
        if (p.control >= 0) close(p.control);
        if (p.pid > 0) {
            kill(p.pid, SIGKILL);
            waitpid(p.pid, nullptr, 0);
        }
        p = {};
    }
    std::map<QString, Prepared> lessons_;
};

PreparedLessons g_prepared;

QString PreparedKey(const QString& course, int seance, int start) { return DirectKey(course, seance) + QStringLiteral("#%1").arg(start); }

// How a prepared lesson ends when it could not start the lesson, or walk it to its start page.
constexpr int kCannotPrepare = 120;

// The prepared lesson's own loop: for each sequence asked on control, a copy of itself plays it;
// its child's process id, then its report, end status and processor time go back.
[[noreturn]] void ServePreparedLesson(const QString& course, int seance, int start, int control) {
    std::optional<Child> prepared;
    try {
        prepared.emplace(course, seance, start);
    } catch (...) {
        _exit(kCannotPrepare);  // the sequence's own child will meet the same and say what it is
    }
    // Forking is safe only while no other thread could hold a lock the child needs.
    if (QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size() != 1) _exit(kCannotPrepare);
    for (;;) {
        uint32_t size = 0;
        QByteArray request;
        if (!ReadExactly(control, &size, sizeof size)) _exit(0);
        request.resize(size);
        if (!ReadExactly(control, request.data(), size)) _exit(0);
        // Its own share of the sequence's processor time (the fork, the report) is counted with the child's.
        const uint32_t before = CpuUs("self");
        bool wantTrace = false;
        const Sequence s = FromRequest(request, &wantTrace);
        int fds[2];
        if (pipe(fds) != 0) _exit(kCannotPrepare);
        const pid_t pid = fork();
        if (pid == 0) {
            close(control);
            close(fds[0]);
            Options o;
            o.course = course;
            o.wantTrace = wantTrace;
            prepared->Run(s, o, fds[1]);
        }
        close(fds[1]);
        const int64_t child = pid;
        if (!WriteAll(control, &child, sizeof child)) _exit(0);
        QByteArray text;
        ReadToEnd(fds[0], text, QDeadlineTimer::Forever);
        close(fds[0]);
        int status = 0;
        const uint32_t childUs = pid > 0 ? Reap(pid, &status) : 0;
        const uint32_t head[3] = {static_cast<uint32_t>(status), static_cast<uint32_t>(text.size()),
                                  childUs + CpuUs("self") - before};
        if (!WriteAll(control, head, sizeof head) || !WriteAll(control, text.constData(), static_cast<size_t>(text.size())))
            _exit(0);
    }
}

Prepared* PreparedFor(const QString& course, int seance, int start) {
    const QString key = PreparedKey(course, seance, start);
    if (Prepared* p = g_prepared.Find(key)) return p->pid > 0 ? p : nullptr;
    int fds[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) return nullptr;
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        g_prepared.ForgetInChild();
        ServePreparedLesson(course, seance, start, fds[1]);
    }
    close(fds[1]);
    if (pid < 0) {
        close(fds[0]);
        return nullptr;
    }
    return &g_prepared.Add(key, Prepared{pid, fds[0]});
}

// The sequence played by a copy of its prepared lesson; nothing when there is none to be had, or
// when it ended (it could not start the lesson, or walk it): then the sequence's own child shows why.
std::optional<Ran> RunPrepared(const Sequence& s, const Options& options) {
    Prepared* p = PreparedFor(options.course, s.seance, s.start);
    if (!p) return std::nullopt;
    auto gone = [&]() -> std::optional<Ran> {
        // Kept as not preparable: its sequences start afresh from now on.
        int status = 0;
        close(p->control);
        waitpid(p->pid, &status, 0);
        *p = {};
        return std::nullopt;
    };
    const QByteArray request = Request(s, options.wantTrace);
    const uint32_t size = static_cast<uint32_t>(request.size());
    if (!WriteAll(p->control, &size, sizeof size) || !WriteAll(p->control, request.constData(), size)) return gone();
    QDeadlineTimer deadline(options.timeoutMs);
    int64_t child = 0;
    // The first sequence waits for the lesson to be prepared, which a frozen walk never is.
    if (!WaitReadable(p->control, deadline)) {
        kill(p->pid, SIGKILL);
        return gone();
    }
    if (!ReadExactly(p->control, &child, sizeof child) || child <= 0) return gone();
    Ran ran;
    if (!WaitReadable(p->control, deadline)) {
        ran.frozen = true;
        kill(static_cast<pid_t>(child), SIGKILL);
    }
    uint32_t head[3];
    if (!ReadExactly(p->control, head, sizeof head)) {
        gone();
        ran.error = QStringLiteral("explorer: the prepared lesson ended during the sequence");
        return ran;
    }
    ran.status = static_cast<int>(head[0]);
    ran.cpuMs = head[2] / 1000.0;
    ran.text.resize(head[1]);
    if (!ReadExactly(p->control, ran.text.data(), head[1])) {
        gone();
        ran.error = QStringLiteral("explorer: the prepared lesson ended during the sequence");
    }
    return ran;
}

// The sequence played by a child that starts the lesson itself.
Ran RunFresh(const Sequence& s, const Options& options) {
    Ran ran;
    int fds[2];
    if (pipe(fds) != 0) {
        ran.error = QStringLiteral("explorer: no pipe");
        return ran;
    }
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        g_prepared.ForgetInChild();
        Child(options.course, s.seance, s.start).Run(s, options, fds[1]);
    }
    close(fds[1]);
    if (!ReadToEnd(fds[0], ran.text, QDeadlineTimer(options.timeoutMs))) {
        ran.frozen = true;
        kill(pid, SIGKILL);
    }
    close(fds[0]);
    ran.cpuMs = Reap(pid, &ran.status) / 1000.0;
    return ran;
}

}  // namespace

QString Text(const Sequence& s) {
    QStringList lines{QStringLiteral("start %1").arg(s.start)};
    if (s.seance != 1) lines.prepend(QStringLiteral("seance %1").arg(s.seance));
    for (const Event& e : s.events) {
        QString name;
        for (const Names& n : kNames)
            if (n.gesture == e.gesture) name = QString::fromLatin1(n.name);
        QString line = QStringLiteral("%1 %2").arg(e.at).arg(name);
        if (HasKey(e.gesture)) line += QLatin1Char(' ') + KeyName(e.arg);
        if (e.gesture == Gesture::Answer) line += QStringLiteral(" %1").arg(e.arg + 1);
        lines << line;
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

Sequence Parse(const QString& text, QString* error) {
    Sequence s;
    auto fail = [&](const QString& why) {
        if (error) *error = why;
        return Sequence{};
    };
    for (QString line : text.split(QLatin1Char('\n'))) {
        line = line.section(QLatin1Char('#'), 0, 0).trimmed();
        if (line.isEmpty()) continue;
        const QStringList w = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (w[0] == QLatin1String("start") && w.size() == 2) {
            s.start = w[1].toInt();
            continue;
        }
        if (w[0] == QLatin1String("seance") && w.size() == 2) {
            s.seance = w[1].toInt();
            continue;
        }
        if (w.size() < 2) return fail(QStringLiteral("not an event: ") + line);
        Event e;
        bool ok = false;
        e.at = w[0].toLongLong(&ok);
        const Names* found = nullptr;
        for (const Names& n : kNames)
            if (w[1] == QLatin1String(n.name)) found = &n;
        if (!ok || !found) return fail(QStringLiteral("not an event: ") + line);
        e.gesture = found->gesture;
        if (HasKey(e.gesture)) {
            if (w.size() < 3) return fail(QStringLiteral("a key without its name: ") + line);
            e.arg = QKeySequence::fromString(w[2], QKeySequence::PortableText)[0].key();
        }
        if (e.gesture == Gesture::Answer) e.arg = w.value(2).toInt() - 1;
        s.events.push_back(e);
    }
    return s;
}

Sequence Draw(uint64_t seed, int maxEvents) {
    Rng r{seed};
    Sequence s;
    const int start = r.Below(10);
    s.start = start < 4 ? 0 : start < 7 ? 12 : 17;
    // Each sequence has a mood: most wander, some drift forward or back, some flip between two
    // pages at a steady pace (the animated pages above all), a few hammer the page buttons as fast
    // as the hand goes, and some sit the evaluation.
    enum Mood { Wander, Storm, Flip, Retreat, Quiz };
    const int m = r.Below(100);
    const Mood mood = m < 12 ? Storm : m < 27 ? Flip : m < 37 ? Retreat : m < 55 ? Quiz : Wander;
    if (mood == Quiz || mood == Retreat) s.start = 17;
    if (mood == Flip) s.start = 12;
    const bool buttons = mood == Storm || mood == Flip;
    int next = 8 + r.Below(24), previous = 4 + r.Below(12);
    if (buttons) next = previous = 30;
    if (mood == Retreat) std::swap(next, previous);
    const std::vector<std::pair<Gesture, int>> weights{
        {Gesture::Next, next},
        {Gesture::Previous, mood == Quiz ? 1 : previous},
        {Gesture::Key, buttons ? 10 : 30},
        {Gesture::Logo, buttons ? 0 : 3},
        {Gesture::AboutOk, buttons ? 0 : 2},
        {Gesture::AboutKey, buttons ? 0 : 2},
        {Gesture::AboutClose, buttons ? 0 : 1},
        {Gesture::Answer, buttons ? 0 : mood == Quiz ? 40 : 10},
        {Gesture::Validate, buttons ? 0 : mood == Quiz ? 30 : 8}};
    auto gap = [&](qint64 t) -> qint64 {
        if (mood == Storm && r.Chance(85)) return t + r.Below(60);
        if (mood == Flip && r.Chance(85)) return t + 150 + r.Below(450);
        return Gap(r, t);
    };
    int total = 0;
    for (const auto& [g, wgt] : weights) total += wgt;
    const int n = 1 + r.Below(maxEvents);
    qint64 t = 0;
    for (int i = 0; i < n; ++i) {
        t = gap(t);
        int pick = r.Below(total);
        Event e{t, Gesture::Next, 0};
        for (const auto& [g, wgt] : weights) {
            if (pick < wgt) {
                e.gesture = g;
                break;
            }
            pick -= wgt;
        }
        if (e.gesture == Gesture::Key) e.arg = kMainKeys[static_cast<size_t>(r.Below(static_cast<int>(kMainKeys.size())))];
        if (e.gesture == Gesture::AboutKey) e.arg = r.Chance(50) ? Qt::Key_Return : Qt::Key_Escape;
        if (e.gesture == Gesture::Answer) e.arg = r.Below(4);
        s.events.push_back(e);
    }
    // Fermer at a random moment among the events, or after them, once the last page has settled.
    if (r.Chance(50)) {
        const size_t k = static_cast<size_t>(r.Below(n));
        s.events.resize(k + 1);
        s.events.push_back({Gap(r, s.events.back().at), Gesture::Fermer, 0});
    } else if (r.Chance(60)) {
        const qint64 settle = Gap(r, t);
        s.events.push_back({settle, Gesture::Settle, 0});
        s.events.push_back({settle + kSettleMs + 1 + r.Below(2000), Gesture::Fermer, 0});
    } else {
        s.events.push_back({Gap(r, t), Gesture::Fermer, 0});
    }
    return s;
}

void PrepareDirectVisits(const QString& course, int seance) {
    g_prepared.Retire(DirectKey(course, seance) + QLatin1Char('#'));
    // The About window opened once here: the children that open it again find its logo decoded,
    // its fonts loaded and its text put into words, as the program does at a second opening.
    static const bool aboutOpened = [&] {
        Lesson l(true, {}, course, {}, seance);
        if (l.w->Image1.Reachable()) l.w->Image1.Click();
        if (Apropos* about = Apropos::Instance()) about->cmdOK.Click();
        QCoreApplication::processEvents();  // the window goes once its button's click is done with it
        return true;
    }();
    (void)aboutOpened;
    std::map<int, QStringList>& direct = g_direct[DirectKey(course, seance)];
    direct.clear();
    Plan plan;
    {
        const Lesson l(false, {}, course, {}, seance);
        plan = PlanOf(l);
    }
    for (int p = 0; p < plan.evaluation; ++p) {
        Lesson l(true, {}, course, {}, seance);
        const qint64 at = ScheduleWalk(l, plan, p) + kSettleMs;
        l.vp.At(at, [&] { direct[p] = Screen(*l.w); });
        l.vp.StopAt(at + 1);
        try {
            for (;;) l.vp.Yield(std::nullopt);
        } catch (const RunStopped&) {
        }
    }
}

Outcome Play(const Sequence& s, const Options& options) {
    Outcome out;
    std::optional<Ran> ran;
    if (!options.fresh) ran = RunPrepared(s, options);
    if (!ran) ran = RunFresh(s, options);
    const QByteArray& text = ran->text;
    const int status = ran->status;
    const bool frozen = ran->frozen;
    out.cpuMs = ran->cpuMs;
    for (const QString& line : QString::fromUtf8(text).split(QLatin1Char('\n'))) {
        const QString key = line.section(QLatin1Char(' '), 0, 0), value = line.section(QLatin1Char(' '), 1);
        if (key == QLatin1String("ok")) out.ok = value == QLatin1String("1");
        else if (key == QLatin1String("failure")) out.failure = QString(value).replace(QStringLiteral("\\n"), QStringLiteral("\n"));
        else if (key == QLatin1String("deepest")) out.deepest = value.toInt();
        else if (key == QLatin1String("stack")) out.stackBytes = value.toLongLong();
        else if (key == QLatin1String("clock")) out.clockReads = value.toInt();
        else if (key == QLatin1String("rss")) out.rssGrowthKb = value.toLongLong();
        else if (key == QLatin1String("pages")) out.pagesSeen = value.toInt();
        else if (key == QLatin1String("eval")) out.evaluation = value == QLatin1String("1");
        else if (key == QLatin1String("closing")) out.closingPage = value == QLatin1String("1");
        else if (key == QLatin1String("storm")) out.storm = value == QLatin1String("1");
        else if (key == QLatin1String("trace")) out.trace << value;
    }
    if (!ran->error.isEmpty()) {
        out.ok = false;
        out.failure = ran->error;
    } else if (frozen) {
        out.ok = false;
        out.failure = QStringLiteral("froze: no end after %1 ms of real time").arg(options.timeoutMs);
    } else if (out.ok && !(WIFEXITED(status) && WEXITSTATUS(status) == 0)) {
        out.ok = false;
        out.failure = QStringLiteral("fermer: the program ended with %1 %2")
                          .arg(WIFEXITED(status) ? QStringLiteral("status") : QStringLiteral("signal"))
                          .arg(WIFEXITED(status) ? WEXITSTATUS(status) : WTERMSIG(status));
    } else if (!out.ok && out.failure.isEmpty()) {
        out.failure = QStringLiteral("crash: the program ended with %1 %2 and said nothing")
                          .arg(WIFEXITED(status) ? QStringLiteral("status") : QStringLiteral("signal"))
                          .arg(WIFEXITED(status) ? WEXITSTATUS(status) : WTERMSIG(status));
    }
    return out;
}

Sequence Shrink(const Sequence& s, const Options& options, int maxTries) {
    const QString kind = Kind(Play(s, options).failure);
    Sequence best = s;
    int tries = 0;
    // Events before the final Fermer may go; Fermer stays.
    for (size_t chunk = std::max<size_t>(1, best.events.size() / 2); chunk >= 1 && tries < maxTries;) {
        bool removed = false;
        for (size_t i = 0; i + 1 < best.events.size() && tries < maxTries;) {
            Sequence candidate = best;
            const size_t end = std::min(i + chunk, candidate.events.size() - 1);
            candidate.events.erase(candidate.events.begin() + static_cast<std::ptrdiff_t>(i),
                                   candidate.events.begin() + static_cast<std::ptrdiff_t>(end));
            ++tries;
            const Outcome o = Play(candidate, options);
            if (!o.ok && Kind(o.failure) == kind) {
                best = candidate;
                removed = true;
            } else {
                i += chunk;
            }
        }
        if (!removed) {
            if (chunk == 1) break;
            chunk /= 2;
        }
    }
    return best;
}

}  // namespace testsupport::explorer
