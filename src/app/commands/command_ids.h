#pragma once

namespace tessel {

// Every command identifier, named once. The menu and accelerator tables in
// resources/ and the filter table carry the numbers; everything else uses
// these names.
namespace cmd {
// File
constexpr int kNew = 40001;
constexpr int kOpen = 40002;
constexpr int kOpenFromClipboard = 40003;
constexpr int kSave = 40004;
constexpr int kSaveAs = 40005;
constexpr int kScanAcquire = 40006;
constexpr int kScanSelectDevice = 40007;
constexpr int kEnvSettings = 40008;
constexpr int kKeySettings = 40009;
constexpr int kExit = 40010;
constexpr int kRecentPlaceholder = 40011;
constexpr int kSavePreferred = 40012;
constexpr int kPreferredSaveSettings = 40013;
// Edit
constexpr int kUndo = 40050;
constexpr int kRedo = 40051;
constexpr int kCopyLayer24 = 40052;
constexpr int kCopyLayer32 = 40053;
constexpr int kMergedCopy = 40054;
constexpr int kPasteAsLayer24 = 40055;
constexpr int kPasteAsLayer32 = 40056;
constexpr int kFlipImageH = 40057;
constexpr int kFlipImageV = 40058;
constexpr int kRotateImageCw = 40059;
constexpr int kRotateImageCcw = 40060;
constexpr int kImageSize = 40061;
constexpr int kCanvasSize = 40062;
// Select
constexpr int kSelectAll = 40100;
constexpr int kMergedPaste = 40101;
constexpr int kDeselect = 40102;
constexpr int kCopy = 40103;
constexpr int kCut = 40104;
constexpr int kPaste = 40105;
constexpr int kFillSelection = 40106;
constexpr int kEraseSelection = 40107;
constexpr int kFlipSelectionH = 40108;
constexpr int kFlipSelectionV = 40109;
constexpr int kRotateSelectionCw = 40110;
constexpr int kRotateSelectionCcw = 40111;
constexpr int kRotateSelection = 40112;
constexpr int kCropToSelection = 40113;
constexpr int kScaleSelection = 40114;
constexpr int kSelectionCoordinates = 40115;
constexpr int kTileAll = 40116;
constexpr int kTileAcross = 40117;
constexpr int kTileDown = 40118;
constexpr int kImportClipboard24 = 40119;
constexpr int kImportClipboard32 = 40120;
constexpr int kImportFile = 40121;
constexpr int kExportClipboard24 = 40122;
constexpr int kExportClipboard32 = 40123;
constexpr int kExportPng = 40124;
// View
constexpr int kPanelFirst = 40150;   // + panel bit, 8 panels
constexpr int kPanelLast = 40157;
constexpr int kHideAllPanels = 40160;
constexpr int kFullScreen = 40161;
constexpr int kChecker = 40162;
constexpr int kMirror = 40163;
constexpr int kGrid = 40164;
constexpr int kGridSettings = 40165;
constexpr int kZoomPopup = 40166;
constexpr int kZoomIn = 40167;
constexpr int kZoomOut = 40168;
// Help
constexpr int kHelp = 40200;
constexpr int kHomepage = 40201;
constexpr int kAbout = 40202;
constexpr int kMainMenuFirst = kNew;
constexpr int kMainMenuLast = kAbout;
// Filter: the filter table's commands and the menu's extra ones.
constexpr int kFilterFirst = 41000;
constexpr int kFilterLast = 41051;
constexpr int kReplaceColourFirst = 41800;
constexpr int kReplaceColourLast = 41803;
constexpr int kAlphaOperationFirst = 41810;
constexpr int kAlphaOperationLast = 41813;
constexpr int kCloudFirst = 41820;
constexpr int kCloudLast = 41822;
// Layer panel (42300-42312 also reach it from the main window).
constexpr int kLayerNew = 42300;
constexpr int kLayerNewFromFile = 42301;
constexpr int kLayerClone = 42302;
constexpr int kLayerDelete = 42303;
constexpr int kLayerMergeDown = 42304;
constexpr int kLayerMergeVisible = 42305;
constexpr int kLayerUp = 42306;
constexpr int kLayerDown = 42307;
constexpr int kLayerSettings = 42308;
constexpr int kLayerExport = 42309;
constexpr int kLayerShowAll = 42310;
constexpr int kLayerHideAll = 42311;
constexpr int kLayerShowCurrent = 42312;
constexpr int kLayerMergeVisibleKeep = 42315;
constexpr int kLayerMergeIntoNew = 42316;
constexpr int kLayerFirst = kLayerNew;
constexpr int kLayerForwardedLast = kLayerShowCurrent;
constexpr int kLayerLast = kLayerMergeIntoNew;
// Lists built at run time.
constexpr int kZoomPresetFirst = 3000;
constexpr int kZoomPresetLast = 3013;
constexpr int kRecentFileFirst = 3100;
constexpr int kRecentFileLast = 3109;
constexpr int kRecentFolderFirst = 3200;
constexpr int kRecentFolderLast = 3207;
constexpr int kQuickSaveFirst = 3250;   // format index id - 3249
constexpr int kQuickSaveLast = 3254;    // formats 1-5 are built
constexpr int kQuickSaveRangeLast = 3259;
}  // namespace cmd

}  // namespace tessel
