#pragma once
// Command identifiers. They keep their numbers: the menus, toolbars, accelerators, the
// view's command table and the tests all refer to commands by them.
namespace cmd {

// Framework commands.
inline constexpr int kFileNew = 57600;
inline constexpr int kFileOpen = 57601;
inline constexpr int kFileClose = 57602;
inline constexpr int kFileSave = 57603;
inline constexpr int kFileSaveAs = 57604;
inline constexpr int kFilePrintSetup = 57606;
inline constexpr int kFilePrint = 57607;
inline constexpr int kFilePrintDirect = 57608;
inline constexpr int kFilePrintPreview = 57609;
inline constexpr int kFileMru = 57616;
inline constexpr int kEditCopy = 57634;
inline constexpr int kWindowNew = 57648;
inline constexpr int kWindowArrange = 57649;
inline constexpr int kWindowCascade = 57650;
inline constexpr int kWindowTile = 57651;
inline constexpr int kAppAbout = 57664;
inline constexpr int kAppExit = 57665;
inline constexpr int kHelpFinder = 57667;
inline constexpr int kViewToolbar = 59392;
inline constexpr int kViewStatusBar = 59393;
inline constexpr int kBoxList = 61446;  // the box-list combo box of the graph-setting toolbar

// The program's commands.
inline constexpr int kSaveWaveRange = 32771;   // "選択範囲をウェーブファイルへ保存"
inline constexpr int kLoadWave = 32772;        // "ウェーブファイルの読込み"
inline constexpr int kRecord = 32775;          // "録音"
inline constexpr int kPlay = 32776;            // "再生"
inline constexpr int kStop = 32777;            // "停止"
inline constexpr int kCrossHair = 32779;       // "ﾏｰｸ位置十字線表示"
inline constexpr int kWaveLeft = 32780;        // box toggles, slots 0 to 5
inline constexpr int kWaveRight = 32781;
inline constexpr int kWaveMono = 32782;
inline constexpr int kFftLeft = 32783;
inline constexpr int kFftRight = 32784;
inline constexpr int kFftMono = 32785;
inline constexpr int kGrid = 32793;            // "目盛り"
inline constexpr int kFont = 32795;            // "フォント"
inline constexpr int kFullRangeY = 32796;      // "Y軸フルレンジ"
inline constexpr int kSettingPanel = 32797;    // "設定パネル(FFT)"
inline constexpr int kWaveEdit = 32798;        // "ウェーブ編集"
inline constexpr int kZoomXIn = 32809;
inline constexpr int kZoomXOut = 32810;
inline constexpr int kZoomYIn = 32811;
inline constexpr int kZoomYOut = 32812;
inline constexpr int kShiftXPlus = 32813;
inline constexpr int kShiftXMinus = 32814;
inline constexpr int kShiftYPlus = 32815;
inline constexpr int kShiftYMinus = 32816;
inline constexpr int kLogFrequency = 32818;    // "対数軸（周波数）"
inline constexpr int kLogLevel = 32819;        // "対数軸（レベル）"
inline constexpr int kAutoRangeY = 32822;      // "Y軸レンジ調整"
inline constexpr int kXDefaultRange = 32823;   // "X軸レンジ既定値" (pop-up only)
inline constexpr int kFftLevel = 32826;        // "FFTレベル"
inline constexpr int kPeakSearch = 32827;      // "ﾏｰｸ位置のﾋﾟｰｸ検出"
inline constexpr int kInfoBox = 32829;         // "情報ボックス", slot 12
inline constexpr int kFft3dLeft = 32831;       // slots 6 to 8
inline constexpr int kFft3dRight = 32832;
inline constexpr int kFft3dMono = 32833;
inline constexpr int kSettings3d = 32837;      // "3D-FFT表示設定"
inline constexpr int kFocusPlus = 32838;       // "3D-FFTﾃﾞｰﾀ切替（＋）"
inline constexpr int kFocusMinus = 32839;      // "3D-FFTﾃﾞｰﾀ切替（－）"
inline constexpr int kColors = 32840;          // "配色"
inline constexpr int kGraphSettingBar = 32843; // "ｸﾞﾗﾌ設定ﾂｰﾙﾊﾞｰ"
inline constexpr int kGraphMakingBar = 32844;  // "ｸﾞﾗﾌ作成ﾂｰﾙﾊﾞｰ"
inline constexpr int kXRangeQuarter = 32845;   // X default ranges in thousandths of a block
inline constexpr int kXRangeHalf = 32846;
inline constexpr int kXRangeOne = 32847;
inline constexpr int kXRangeTwo = 32848;
inline constexpr int kXRangeFour = 32849;
inline constexpr int kXRangeEight = 32850;
inline constexpr int kFullRangeX = 32852;      // "X軸フルレンジ"
inline constexpr int kXRangeEighth = 32857;
inline constexpr int kGenerator = 32868;       // "ウェーブジェネレータ"
inline constexpr int kFilter = 32869;          // "フィルタ"
inline constexpr int kMonoAdd = 32879;         // "モノラル（加算)"
inline constexpr int kMonoSubtract = 32880;    // "モノラル(減算)"
inline constexpr int kFormatConvert = 32889;   // "フォーマット変換"
inline constexpr int kFftTextOut = 32891;      // "FFT結果のテキスト出力"
inline constexpr int kWaveTextOut = 32892;     // "ウェーブデータのテキスト出力"
inline constexpr int kWaveTextIn = 32893;      // "ウェーブデータのテキスト入力"

// Commands of our own.
inline constexpr int kMouseMark = 32900;       // "マウス操作": a click sets the mark
inline constexpr int kMouseZoom = 32901;       //   a drag zooms to its band
inline constexpr int kMouseSlice = 32902;      //   a click picks a 3D slice
inline constexpr int kBatchAnalysis = 32903;   // "一括解析"

}  // namespace cmd
