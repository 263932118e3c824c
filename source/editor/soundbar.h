// The sound bar in the editor's header: the loaded sound's name (marked with an asterisk when it
// was edited since it was loaded) in a box that opens the menu of sounds, grouped by category;
// buttons for the previous and the next sound; and Save, which turns the box into a name entry and
// writes the sound into the user's preset folder. A line beside the bar says how choosing or saving
// went. Every sound chosen here reaches the host through the controller as edits it records.
#pragma once

#include "source/controller/soundlibrary.h"

#include "gui/ccontrol.h"
#include "gui/coptionmenu.h"

#include <functional>
#include <string>
#include <vector>

namespace VSTGUI {
class CFontDesc;
class CFrame;
class CTextButton;
class CTextEdit;
class CTextLabel;
} // namespace VSTGUI

namespace Steinberg {
namespace Vst {

class TalvaneController;

// The box with the sound's name: a list whose entries are made when it opens.
class SoundMenu : public VSTGUI::COptionMenu
{
public:
    SoundMenu(const VSTGUI::CRect& size, VSTGUI::CControlListener* listener,
              std::function<void()> beforeOpening);

    void setShownName(const std::string& name);
    const std::string& getShownName() const { return shownName; }

    void draw(VSTGUI::CDrawContext* context) override;
    VSTGUI::CMouseEventResult onMouseDown(VSTGUI::CPoint& where,
                                          const VSTGUI::CButtonState& buttons) override;

private:
    std::function<void()> beforeOpening;
    std::string shownName;
};

class SoundBar : public VSTGUI::CControlListener
{
public:
    // Adds the bar's controls to `frame`, which owns them from then on.
    SoundBar(TalvaneController& controller, VSTGUI::CFrame& frame);
    SoundBar(const SoundBar&) = delete;
    SoundBar& operator=(const SoundBar&) = delete;

    // The controller's sound changed: its name, its edited mark.
    void updateSound();

    // What the buttons do.
    void choosePrevious();
    void chooseNext();
    void startSaving();

    // The sound of a menu entry (null for a heading).
    const talvane::LibrarySound* soundOfEntry(int32_t index) const;

    SoundMenu* getMenu() const { return menu; }
    VSTGUI::CTextButton* getPreviousButton() const { return previousButton; }
    VSTGUI::CTextButton* getNextButton() const { return nextButton; }
    VSTGUI::CTextButton* getSaveButton() const { return saveButton; }
    VSTGUI::CTextEdit* getNameEntry() const { return nameEntry; }
    VSTGUI::CTextLabel* getMessage() const { return message; }
    bool isErrorShown() const { return errorShown; }

    // CControlListener
    void valueChanged(VSTGUI::CControl* control) override;
    void controlEndEdit(VSTGUI::CControl* control) override;

private:
    void fillMenu();
    void choose(const talvane::LibrarySound& sound);
    // The position of the loaded sound in `sounds`; -1 if it is none of them.
    int32_t positionOfLoadedSound(const std::vector<talvane::LibrarySound>& sounds) const;
    void chooseNeighbour(int32_t step);
    void save(const std::string& name);
    void endSaving();
    void showMessage(const std::string& text, bool error);

    TalvaneController& controller;
    SoundMenu* menu = nullptr;
    VSTGUI::CTextButton* previousButton = nullptr;
    VSTGUI::CTextButton* nextButton = nullptr;
    VSTGUI::CTextButton* saveButton = nullptr;
    VSTGUI::CTextEdit* nameEntry = nullptr;
    VSTGUI::CTextLabel* message = nullptr;
    std::vector<int32_t> entrySounds; // per menu entry: its index into menuSounds, or -1
    std::vector<talvane::LibrarySound> menuSounds;
    bool errorShown = false;
    bool keepNaming = false; // the name given cannot be saved: the entry stays open
};

} // namespace Vst
} // namespace Steinberg
