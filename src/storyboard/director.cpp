#include "storyboard/director.h"

#include "about/apropos.h"
#include "content/banque.h"
#include "content/script_seance.h"
#include "course_window/cour1p.h"
#include "platform/platform.h"
#include "storyboard/offline_platform.h"

#include <QFileInfo>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace storyboard {

namespace {

// A page that has shown nothing new for this long has shown everything: its photographs come
// within seconds, and its animations repeat well within this.
constexpr qint64 kQuiet = 20000;

void Collect(const platform::Container& container, std::map<QString, platform::Control*>& out) {
    for (platform::Control* child : container.Children()) {
        out[child->Name()] = child;
        if (const auto* inner = dynamic_cast<const platform::Container*>(child)) Collect(*inner, out);
    }
}

}  // namespace

Director::Director(Cour1p& course, OfflinePlatform& platform, Sheets& sheets, const content::ScriptSeance& script)
    : w_(course), p_(platform), sheets_(sheets), script_(script) {
    Collect(w_.Form, controls_);
}

QString Director::Since(qint64 from) const {
    return Seconds(p_.Elapsed() - from);
}

void Director::Run() {
    p_.onTrace = [this](const platform::TraceEvent& event) { OnTrace(event); };
    p_.onYield = [this] { OnYield(); };
    platform::RunHandler([this] { w_.Form_Load(); });
    platform::RunHandler([this] { w_.Form_Activate(); });
    arrived_ = frameChanged_ = false;
    sheets_.Shot(QStringLiteral("page 0"), {}, w_.Form.Widget());
    pageStart_ = lastNew_ = p_.Elapsed();
    try {
        while (phase_ != Phase::Finished) p_.Yield(std::nullopt);
    } catch (const LessonEnded& e) {
        // The end was reached inside a page run: unwinding it is all that was left to do.
        if (phase_ != Phase::Finished || e.status != 0) throw;
    }
    p_.onTrace = nullptr;
    p_.onYield = nullptr;
}

void Director::OnTrace(const platform::TraceEvent& event) {
    using Kind = platform::TraceEvent::Kind;
    const QString& name = event.control;
    if (event.kind == Kind::Show) {
        arrived_ = true;
    } else if (event.kind == Kind::Picture && (event.resource != 0 || AnimationFrame(event.text))) {
        // One of the program's own bitmaps, or of a script's frames: a frame of an animation, which
        // repeats until the page is left and so is never "something new" for the page.
        animated_.insert(name);
        frameChanged_ = true;
        shown_[name] = event.resource != 0 ? QString::number(event.resource) : event.text;
        if (event.resource == 0) files_.insert(event.text);
    } else if (event.kind == Kind::Picture) {
        // The About window's logo is the program's own, not a file of the course.
        if (QFileInfo::exists(w_.Repertoire + event.text)) files_.insert(event.text);
        if (shown_[name] != event.text) arrived_ = true;
        shown_[name] = event.text;
    }
}

void Director::OnYield() {
    if (phase_ == Phase::Finished) throw LessonEnded{0, {}};
    if (phase_ == Phase::Evaluation) {
        if (w_.NumPage == w_.PageEvaluation() + 1) {
            Close();
        } else if (w_.NumPage == w_.PageEvaluation() && w_.NumQuestion != answered_ && w_.B_Valider.Visible()) {
            AnswerQuestion();
        }
        return;
    }
    if (frameChanged_) {
        frameChanged_ = false;
        RecordFrame();
    }
    if (arrived_) {
        arrived_ = false;
        lastNew_ = p_.Elapsed();
        sheets_.Shot(QStringLiteral("page %1 — %2").arg(page_).arg(Since(pageStart_)), {}, w_.Form.Widget());
    }
    // Always just after a tick, so that every page's times count from the same point of the tick.
    if (p_.Elapsed() - lastNew_ >= kQuiet && p_.JustTicked()) NextPage();
}

bool Director::AnimationFrame(const QString& file) const {
    if (w_.NumPage < 0 || w_.NumPage >= static_cast<int>(script_.pages.size())) return false;
    const std::optional<content::AnimationScript>& a = script_.pages[static_cast<size_t>(w_.NumPage)].animation;
    return a && a->genre == content::AnimationScript::Genre::Images && a->images.contains(file);
}

void Director::RecordFrame() {
    std::vector<platform::PictureBox*> boxes;
    for (const QString& name : animated_) {
        auto* box = dynamic_cast<platform::PictureBox*>(controls_[name]);
        if (box && box->Visible() && box->GetPicture().Image()) boxes.push_back(box);
    }
    std::sort(boxes.begin(), boxes.end(), [](auto* a, auto* b) { return a->Top() < b->Top(); });
    QString combination;
    Frame frame{p_.Elapsed() - pageStart_, {}};
    for (platform::PictureBox* box : boxes) {
        combination += box->Name() + QLatin1Char('=') + shown_[box->Name()] + QLatin1Char(';');
        frame.images.push_back(*box->GetPicture().Image());
    }
    // An animation repeats itself: each combination of frames goes on the strip once.
    if (boxes.empty() || !seen_.insert(combination).second) return;
    strip_.push_back(std::move(frame));
    lastNew_ = p_.Elapsed();
}

void Director::FlushStrip() {
    if (strip_.size() >= 2) {
        sheets_.Strip(QStringLiteral("page %1 — animation, image par image").arg(page_),
                      QStringLiteral("Chaque image de l'animation une fois, dans l'ordre où elle paraît, avec "
                                     "l'instant où elle paraît depuis l'entrée dans la page ; ensuite "
                                     "l'animation recommence jusqu'au changement de page."),
                      strip_);
    }
    strip_.clear();
}

void Director::NextPage() {
    FlushStrip();
    page_ = w_.NumPage + 1;
    pageStart_ = lastNew_ = p_.Elapsed();
    animated_.clear();
    seen_.clear();
    arrived_ = frameChanged_ = false;
    if (page_ >= w_.PageEvaluation()) phase_ = Phase::Evaluation;
    // As the learner does: the next button, inside whatever the page is still doing.
    w_.B_Pag_S.Click();
}

void Director::AnswerQuestion() {
    answered_ = w_.NumQuestion;
    // The bank keeps the right answer first, and the offline platform's draw keeps the bank's order.
    w_.Option1(0).Click();
    sheets_.Shot(QStringLiteral("page %1 — question %2 sur %3")
                     .arg(w_.PageEvaluation())
                     .arg(answered_)
                     .arg(w_.BanqueEnCours().Nombre()),
                 QStringLiteral("Corrigé : les réponses sont dans l'ordre de la banque de questions (à l'écran, "
                                "leur ordre est tiré au hasard) ; la bonne réponse est cochée : « %1 ».")
                     .arg(w_.Option1(0).Caption()),
                 w_.Form.Widget());
    w_.B_Valider.Click();
}

void Director::Close() {
    sheets_.Shot(QStringLiteral("page %1").arg(w_.PageEvaluation() + 1), {}, w_.Form.Widget());
    w_.Image1.Click();
    if (Apropos* about = Apropos::Instance()) {
        // The title bar belongs to the window system, not to the window: its text goes in the note.
        sheets_.Shot(QStringLiteral("La fenêtre « À propos », ouverte d'un clic sur le logo"),
                     QStringLiteral("Titre de la fenêtre : « %1 »").arg(about->Form.Widget()->windowTitle()),
                     about->Form.Widget());
        about->cmdOK_Click();
    }
    phase_ = Phase::Finished;
}

}  // namespace storyboard
