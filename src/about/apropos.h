#pragma once
// The About window: the course, its version and its publisher. Modeless and single: a click on
// the course's logo loads it if needed and brings it to the front; OK, Enter or Escape unload it.

#include "platform/controls.h"

#include <QString>

class Apropos {
public:
    // Loads the window if it is not loaded, then shows it, not modal and without an owner, naming
    // séance number seance and its title; 0: the course's menu, titre the course's.
    static void Afficher(int seance = 1, const QString& titre = {});
    // The loaded window, or null.
    static Apropos* Instance();

    platform::Form Form;
    platform::PictureBox picIcon;
    platform::Label Label1;
    platform::Label Label2;
    platform::Label Label3;
    platform::Label Label4;
    platform::Label Label5;
    platform::Label Label6;
    platform::Label Label7;
    platform::Label lblTitle;
    platform::Label lblVersion;
    platform::Label lblDescription;
    platform::Label lblDisclaimer;
    platform::CommandButton cmdOK;

    void Form_Load();
    // The course and the séance it is opened from.
    void Nommer(int seance, const QString& titre);
    void cmdOK_Click();

private:
    Apropos();
    ~Apropos();
    // Hides the window and forgets it; the widgets go once the current event is done with them.
    void Decharger();
    // Tells screen readers what the window says, as it opens.
    void AnnoncerTextes();
};
