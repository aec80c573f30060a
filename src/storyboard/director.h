#pragma once
// Walks the real course through the whole lesson as a learner would, on the offline platform's
// clock, and puts on sheets what appears and when: each page as its slide and photographs arrive,
// the frames of its animations, each question answered right, page 20 and the About window.
// What a page shows comes from the course's own page scripts; nothing here knows a page's content.

#include "storyboard/sheets.h"

#include <QString>
#include <map>
#include <set>
#include <vector>

class Cour1p;

namespace content {
struct ScriptSeance;
}

namespace platform {
class Control;
struct TraceEvent;
}

namespace storyboard {

class OfflinePlatform;

class Director {
public:
    // script: the séance's, whose animations' frames may be files of the folder.
    Director(Cour1p& course, OfflinePlatform& platform, Sheets& sheets, const content::ScriptSeance& script);
    // Runs the lesson from its start to the About window; LessonEnded escapes on an error.
    void Run();
    // The files of every slide and photograph the lesson showed, by name.
    const std::set<QString>& FilesShown() const { return files_; }

private:
    enum class Phase { Pages, Evaluation, Finished };

    void OnTrace(const platform::TraceEvent& event);
    void OnYield();
    // The page has shown all it will: its strips go on a sheet, then the learner goes on.
    void NextPage();
    void RecordFrame();
    // A file the script's animation of the current page draws in turn.
    bool AnimationFrame(const QString& file) const;
    void FlushStrip();
    void AnswerQuestion();
    void Close();
    QString Since(qint64 from) const;

    Cour1p& w_;
    OfflinePlatform& p_;
    Sheets& sheets_;
    const content::ScriptSeance& script_;
    std::map<QString, platform::Control*> controls_;

    Phase phase_ = Phase::Pages;
    int page_ = 0;
    qint64 pageStart_ = 0;
    qint64 lastNew_ = 0;  // when the page last showed something not seen before
    bool arrived_ = false;
    bool frameChanged_ = false;
    std::map<QString, QString> shown_;  // box name -> what it was last given
    std::set<QString> files_;
    std::set<QString> animated_;        // boxes given an animation's frames on this page
    std::set<QString> seen_;            // frame combinations already on the strip
    std::vector<Frame> strip_;
    int answered_ = 0;
};

}  // namespace storyboard
