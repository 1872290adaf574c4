#pragma once
// The numeric identifiers of the desktop program's commands, panes, toolbars and status indicators.
// Every menu item and toolbar button is one QAction carrying its identifier, so the identifiers stay
// the names by which commands are found, stored and customised.

namespace cmd {
// File
inline constexpr int kFileNew = 57600;            // no menu item: Ctrl+N only
inline constexpr int kFileOpen = 57601;
inline constexpr int kFileSave = 57603;
inline constexpr int kFileSaveAs = 57604;
inline constexpr int kFileMruFirst = 57616;       // "Recent File" entries, one id each
inline constexpr int kFileReload = 32784;
inline constexpr int kNextImage = 32791;
inline constexpr int kPrevImage = 32792;
inline constexpr int kAppExit = 57665;
// Folder conversion and recipes
inline constexpr int kConvertFolder = 33101;
inline constexpr int kSaveRecipe = 33102;
inline constexpr int kLoadRecipe = 33103;
inline constexpr int kCopyCommandLine = 33104;  // Edit menu
inline constexpr int kKeepMetadata = 33105;     // File menu, checked while saves keep the metadata
// Edit
inline constexpr int kEditCopy = 57634;
inline constexpr int kEditCut = 57635;
inline constexpr int kEditPaste = 57637;
inline constexpr int kEditUndo = 57643;
// View
inline constexpr int kShowMainTools = 32771;
inline constexpr int kShowStretchSettings = 32773;
inline constexpr int kShowFileSettings = 32774;
inline constexpr int kCustomize = 35001;
inline constexpr int kShowGrid = 32787;
// Commands shown on the toolbars but handled nowhere: they stay disabled.
inline constexpr int kApplyCrop = 32775;
// The source picture's turns and the view's zoom.
inline constexpr int kRotateCcw = 32777;
inline constexpr int kRotateCw = 32778;
inline constexpr int kZoomIn = 32785;
inline constexpr int kZoomOut = 32786;
inline constexpr int kZoomFit = 32840;          // "Fit in Window"
inline constexpr int kZoomActualSize = 32841;   // "Actual Size"
// Window
inline constexpr int kNextPane = 57680;
inline constexpr int kPrevPane = 57681;
// Help
inline constexpr int kAppAbout = 57664;
}  // namespace cmd

// Docking panes: each id is also the id of its title string.
namespace pane {
inline constexpr int kAspectSettings = 4000;
inline constexpr int kFileProperties = 4001;
inline constexpr int kStretchSettings = 4002;
}  // namespace pane

// Toolbars, by the id of the resource their buttons come from.
namespace toolbar {
inline constexpr int kStandard = 128;
inline constexpr int kCrop = 141;
}  // namespace toolbar

// Status-bar panes, left to right: the message pane, then the keyboard indicators.
namespace indicator {
inline constexpr int kMessage = 0;
inline constexpr int kCapsLock = 59137;
inline constexpr int kNumLock = 59138;
inline constexpr int kScrollLock = 59139;
}  // namespace indicator
