#pragma once
// Every name the program gives a control or a menu entry, declared once, and
// the panels those controls make up. The toolkit knows them by these names.
namespace window {

namespace control {
// About panel
constexpr const char* kAboutText = "Label6";
constexpr const char* kAboutPicture = "Picture1";
// Save panel
constexpr const char* kSaveLabel = "Label1";
constexpr const char* kSaveName = "Text1";
constexpr const char* kSaveFiles = "File1";
constexpr const char* kSaveDone = "Command1";
constexpr const char* kSaveCancel = "Command2";
// Load panel
constexpr const char* kLoadLabel = "Label2";
constexpr const char* kLoadName = "Text2";
constexpr const char* kLoadFiles = "File2";
constexpr const char* kLoadDone = "Command3";
constexpr const char* kLoadCancel = "Command4";
// Either file panel: why a save or load was refused.
constexpr const char* kFileMessage = "FileMessage";
// Colour panel
constexpr const char* kRedLabel = "Label3";
constexpr const char* kRedBox = "Text3";
constexpr const char* kGreenLabel = "Label4";
constexpr const char* kGreenBox = "Text4";
constexpr const char* kBlueLabel = "Label5";
constexpr const char* kBlueBox = "Text5";
constexpr const char* kColourMiddle = "Command7";
constexpr const char* kColourZero = "Command8";
constexpr const char* kColourDone = "Command5";
constexpr const char* kColourCancel = "Command6";
}  // namespace control

// Things drawn on the surface, named for screen readers.
namespace area {
constexpr const char* kGrid = "Brain grid";
constexpr const char* kSwatch = "Drawing colour";
}  // namespace area

namespace menu {
constexpr const char* kOptions = "options";
constexpr const char* kSaveBrain = "savebrain";
constexpr const char* kLoadBrain = "loadbrain";
constexpr const char* kQuit = "quit";
constexpr const char* kDrawOptions = "drawoptions";
constexpr const char* kAutoGenerating = "ssksdm";
constexpr const char* kAutoOn = "autogon";
constexpr const char* kAutoOff = "autogoff";
constexpr const char* kDrawMode = "sdfsdssf";
constexpr const char* kDrawChosen = "drawchosen";
constexpr const char* kDrawOutput = "drawboutput";
constexpr const char* kChooseStyle = "choosestyle";
constexpr const char* kStyleOne = "styleone";
constexpr const char* kStyleTwo = "styletwo";
constexpr const char* kStyleThree = "stylethree";
constexpr const char* kChooseColour = "choosecolor";
constexpr const char* kPlayOptions = "playoptions";
constexpr const char* kComputerMoves = "cmove";
constexpr const char* kPlayOff = "playoff";
constexpr const char* kKeyHelp = "keyhelp";
constexpr const char* kAbout = "about";
}  // namespace menu

// The panels: groups of controls shown and hidden together.
enum class Panel { About, Save, Load, Colour };
constexpr int kPanels = 4;

}  // namespace window
