#include "source/editor/soundbar.h"

#include "source/controller/talvanecontroller.h"
#include "source/editor/editorlayout.h"
#include "source/presets/programs.h"

#include "gui/vstgui.h"

#include <algorithm>

namespace Steinberg {
namespace Vst {

using namespace VSTGUI;
using talvane::LibrarySound;

namespace {

// The bar's controls report to the bar, never to the editor's parameter listener.
constexpr int32_t kSoundBarTag = -1;
constexpr const char* kFontName = "Arial";
constexpr CCoord kNameFontSize = 12;
constexpr CCoord kButtonFontSize = 10;
constexpr CCoord kMessageFontSize = 10;
constexpr CCoord kNameInset = 8;
constexpr CCoord kOpenMarkWidth = 18;
constexpr CCoord kOpenMarkHalfWidth = 4;
constexpr CCoord kOpenMarkDepth = 3;
constexpr CCoord kOpenMarkStroke = 1.5;
// Columns of the menu hold a few groups each; a group is never split.
constexpr int kMenuRowsPerColumn = 15;
constexpr const char* kEditedMark = " *";
constexpr const char* kNamingHint = "Name the sound: Return saves it, Escape cancels";

constexpr CColor kBoxFace = MakeCColor(16, 19, 24);
constexpr CColor kBoxEdge = MakeCColor(70, 80, 94);
constexpr CColor kNameColor = MakeCColor(156, 251, 255);
constexpr CColor kButtonFace = MakeCColor(40, 46, 56);
constexpr CColor kButtonPressedFace = MakeCColor(34, 90, 128);
constexpr CColor kButtonText = MakeCColor(206, 214, 224);
constexpr CColor kEntryFace = MakeCColor(6, 8, 11);
constexpr CColor kEntryText = MakeCColor(255, 255, 255);
constexpr CColor kMessageColor = MakeCColor(170, 186, 200);
constexpr CColor kErrorColor = MakeCColor(255, 142, 110);

CRect toCRect(const talvane::PixelRect& rect)
{
    return CRect(rect.left, rect.top, rect.right, rect.bottom);
}

CTextButton* makeButton(const talvane::PixelRect& rect, CControlListener* listener, const char* title,
                        CTextButton::Icon icon, CFontDesc* font)
{
    auto* button = new CTextButton(toCRect(rect), listener, kSoundBarTag, title, icon);
    button->setFont(font);
    button->setColors(kButtonText, kButtonFace, kButtonPressedFace, kBoxEdge);
    return button;
}

// The groups of the menu in their order: Init alone, the factory categories, the user's sounds.
std::vector<std::string> groupOrder()
{
    std::vector<std::string> groups{""};
    for (int category = 0; category < talvane::presets::kNumCategories; ++category)
        groups.push_back(talvane::presets::categoryName(static_cast<talvane::presets::Category>(category)));
    groups.push_back(talvane::kUserCategory);
    return groups;
}

} // namespace

SoundMenu::SoundMenu(const CRect& size, CControlListener* menuListener, std::function<void()> prepare)
    : COptionMenu(size, menuListener, kSoundBarTag, nullptr, nullptr, kCheckStyle | kPopupInFrameStyle),
      beforeOpening(std::move(prepare))
{
    // All columns are made by the groups' breaks.
    setNbItemsPerColumn(-1);
}

void SoundMenu::setShownName(const std::string& name)
{
    if (name == shownName)
        return;
    shownName = name;
    setDirty();
}

void SoundMenu::draw(CDrawContext* context)
{
    context->setFillColor(kBoxFace);
    context->setFrameColor(kBoxEdge);
    context->drawRect(size, kDrawFilledAndStroked);
    context->setFont(font);
    context->setFontColor(fontColor);
    const CRect textRect(size.left + kNameInset, size.top, size.right - kOpenMarkWidth, size.bottom);
    context->drawString(shownName.c_str(), textRect, kLeftText, true);
    // A small downward chevron: the box opens a menu.
    const CCoord x = size.right - kOpenMarkWidth / 2;
    const CCoord y = size.getCenter().y;
    const CPoint mark[] = {CPoint(x - kOpenMarkHalfWidth, y - kOpenMarkDepth / 2),
                           CPoint(x, y + kOpenMarkDepth / 2 + 1),
                           CPoint(x + kOpenMarkHalfWidth, y - kOpenMarkDepth / 2)};
    context->setFrameColor(kButtonText);
    context->drawPolyline(mark, 3, kOpenMarkStroke);
    setDirty(false);
}

CMouseEventResult SoundMenu::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    if (beforeOpening && (buttons & kLButton) && frame && !frame->isPopupOpen())
        beforeOpening();
    return COptionMenu::onMouseDown(where, buttons);
}

SoundBar::SoundBar(TalvaneController& owner, CFrame& frame) : controller(owner)
{
    auto* nameFont = new CFontDesc(kFontName, kNameFontSize);
    auto* buttonFont = new CFontDesc(kFontName, kButtonFontSize, kBoldFace);
    auto* messageFont = new CFontDesc(kFontName, kMessageFontSize);

    previousButton =
        makeButton(talvane::kPreviousSoundRect, this, "", CTextButton::Icon::PreviousArrow, buttonFont);
    nextButton = makeButton(talvane::kNextSoundRect, this, "", CTextButton::Icon::NextArrow, buttonFont);
    saveButton = makeButton(talvane::kSaveSoundRect, this, "SAVE", CTextButton::Icon::None, buttonFont);

    menu = new SoundMenu(toCRect(talvane::kSoundNameRect), this, [this] { fillMenu(); });
    menu->setFont(nameFont);
    menu->setFontColor(kNameColor);

    nameEntry = new CTextEdit(toCRect(talvane::kSoundNameRect), this, kSoundBarTag);
    nameEntry->setFont(nameFont);
    nameEntry->setFontColor(kEntryText);
    nameEntry->setBackColor(kEntryFace);
    nameEntry->setFrameColor(kNameColor);
    nameEntry->setCaretColor(kNameColor);
    nameEntry->setMaxLength(talvane::kMaxSoundNameBytes);
    nameEntry->setVisible(false);

    message = new CTextLabel(toCRect(talvane::kSoundMessageRect), "");
    message->setFont(messageFont);
    message->setFontColor(kMessageColor);
    message->setTransparency(true);
    message->setHoriAlign(kRightText);

    for (CView* view :
         std::initializer_list<CView*>{previousButton, nextButton, menu, saveButton, nameEntry, message})
        frame.addView(view);
    nameFont->forget();
    buttonFont->forget();
    messageFont->forget();
    updateSound();
}

void SoundBar::updateSound()
{
    menu->setShownName(controller.getSoundName() + (controller.isSoundEdited() ? kEditedMark : ""));
}

int32_t SoundBar::positionOfLoadedSound(const std::vector<LibrarySound>& sounds) const
{
    const std::string& name = controller.getSoundName();
    const int32_t program = controller.getProgramIndex();
    auto at = [&](auto matches) {
        const auto found = std::find_if(sounds.begin(), sounds.end(), matches);
        return found == sounds.end() ? -1 : static_cast<int32_t>(found - sounds.begin());
    };
    int32_t position = at([&](const LibrarySound& s) { return s.program == program && s.name == name; });
    if (position < 0)
        position = at([&](const LibrarySound& s) { return s.program < 0 && s.name == name; });
    return position;
}

void SoundBar::fillMenu()
{
    menuSounds = controller.soundLibrary().sounds();
    menu->removeAllEntry();
    entrySounds.clear();
    int rows = 0;
    for (const std::string& group : groupOrder())
    {
        std::vector<int32_t> members;
        for (std::size_t i = 0; i < menuSounds.size(); ++i)
            if (menuSounds[i].category == group)
                members.push_back(static_cast<int32_t>(i));
        if (members.empty())
            continue;
        const bool titled = !group.empty();
        const int groupRows = static_cast<int>(members.size()) + (titled ? 1 : 0);
        int32_t breakFlag = 0;
        if (rows > 0 && rows + groupRows > kMenuRowsPerColumn)
        {
            breakFlag = CMenuItem::kColumnBreak;
            rows = 0;
        }
        if (titled)
        {
            menu->addEntry(group.c_str(), -1, CMenuItem::kTitle | breakFlag);
            entrySounds.push_back(-1);
            breakFlag = 0;
        }
        for (int32_t member : members)
        {
            menu->addEntry(menuSounds[static_cast<std::size_t>(member)].name.c_str(), -1, breakFlag);
            entrySounds.push_back(member);
            breakFlag = 0;
        }
        rows += groupRows;
    }
    const int32_t loaded = positionOfLoadedSound(menuSounds);
    const auto entry = std::find(entrySounds.begin(), entrySounds.end(), loaded);
    if (loaded >= 0 && entry != entrySounds.end())
        menu->setCurrent(static_cast<int32_t>(entry - entrySounds.begin()));
}

const LibrarySound* SoundBar::soundOfEntry(int32_t index) const
{
    if (index < 0 || index >= static_cast<int32_t>(entrySounds.size()) ||
        entrySounds[static_cast<std::size_t>(index)] < 0)
        return nullptr;
    return &menuSounds[static_cast<std::size_t>(entrySounds[static_cast<std::size_t>(index)])];
}

void SoundBar::choose(const LibrarySound& sound)
{
    if (sound.program >= 0)
    {
        controller.loadProgram(sound.program);
        showMessage("", false);
        return;
    }
    const std::optional<talvane::SoundFileContents> contents = controller.soundLibrary().readUserSound(sound);
    if (!contents)
    {
        showMessage("Cannot load \"" + sound.name + "\": it is no Talvane sound", true);
        return;
    }
    controller.loadSound(contents->values, sound.name);
    showMessage("", false);
}

void SoundBar::chooseNeighbour(int32_t step)
{
    const std::vector<LibrarySound> sounds = controller.soundLibrary().sounds();
    if (sounds.empty())
        return;
    const auto count = static_cast<int32_t>(sounds.size());
    int32_t position = positionOfLoadedSound(sounds);
    if (position < 0)
        position = std::clamp(controller.getProgramIndex(), 0, count - 1);
    choose(sounds[static_cast<std::size_t>((position + step + count) % count)]);
}

void SoundBar::choosePrevious()
{
    chooseNeighbour(-1);
}

void SoundBar::chooseNext()
{
    chooseNeighbour(1);
}

void SoundBar::startSaving()
{
    if (nameEntry->isEditing())
        return;
    // A factory sound is saved under a name of the musician's: the entry starts empty.
    const std::string& name = controller.getSoundName();
    const bool factory = talvane::presets::factoryPrograms().findNamed(name) >= 0;
    nameEntry->setText(factory ? "" : name.c_str());
    menu->setVisible(false);
    nameEntry->setVisible(true);
    showMessage(kNamingHint, false);
    nameEntry->beginEditing();
}

void SoundBar::save(const std::string& name)
{
    // A sound file leaves the editor's zoom as it is where it is loaded.
    const talvane::ControllerState state{controller.getSoundName(), controller.isSoundEdited(),
                                         controller.getProgramIndex(), std::nullopt};
    const talvane::SaveOutcome outcome =
        controller.soundLibrary().save(name, controller.getSoundValues(), talvane::kUserCategory, state);
    if (outcome.saved)
    {
        controller.renameSound(talvane::trimmedName(name));
        showMessage(outcome.message, false);
        return;
    }
    showMessage(outcome.message, true);
    // A name the musician can correct keeps the entry open for it.
    keepNaming = !talvane::SoundLibrary::nameProblem(name).empty();
}

void SoundBar::endSaving()
{
    nameEntry->setVisible(false);
    menu->setVisible(true);
    menu->invalid();
}

void SoundBar::showMessage(const std::string& text, bool error)
{
    errorShown = error;
    message->setText(text.c_str());
    message->setFontColor(error ? kErrorColor : kMessageColor);
    message->invalid();
}

void SoundBar::valueChanged(CControl* control)
{
    // The buttons act as they are let go of, when they tell their maximum (and then their minimum).
    const bool buttonReleased = control->getValue() == control->getMax();
    if (control == menu)
    {
        if (const LibrarySound* sound = soundOfEntry(menu->getCurrentIndex()))
            choose(*sound);
    }
    else if (control == previousButton && buttonReleased)
        choosePrevious();
    else if (control == nextButton && buttonReleased)
        chooseNext();
    else if (control == saveButton && buttonReleased)
        startSaving();
    else if (control == nameEntry)
        save(nameEntry->getText());
}

void SoundBar::controlEndEdit(CControl* control)
{
    if (control != nameEntry)
        return;
    if (keepNaming && nameEntry->wasCommitted())
    {
        keepNaming = false;
        nameEntry->beginEditing();
        return;
    }
    keepNaming = false;
    if (!nameEntry->wasCommitted())
        showMessage("", false);
    endSaving();
}

} // namespace Vst
} // namespace Steinberg
