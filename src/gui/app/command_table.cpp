#include "gui/app/command_table.h"

#include <algorithm>

#include "gui/app/command_ids.h"

using namespace cmd;

const std::vector<CommandInfo>& AllCommands() {
  static const std::vector<CommandInfo> table = {
      {kFileNew, "新規作成(&N)", "Ctrl+N", "新規にドキュメントを作成します", "新規作成", "new"},
      {kFileOpen, "開く(&O)...", "Ctrl+O", "既存のドキュメント（.wft または .wav）を開きます", "開く", "open"},
      {kFileClose, "閉じる(&C)", nullptr, "作業中のドキュメントを閉じます", "閉じる", nullptr},
      {kFileSave, "上書き保存(&S)", "Ctrl+S", "作業中のドキュメントを上書きして保存します", "上書き保存", "save"},
      {kFileSaveAs, "名前を付けて保存(&A)...", nullptr, "作業中のドキュメントを新しい名前で保存します", "名前を付けて保存", nullptr},
      {kFilePrintSetup, "ﾌﾟﾘﾝﾀの設定(&R)...", nullptr, "プリンタおよび印刷オプションを変更します", "ﾌﾟﾘﾝﾀの設定", nullptr},
      {kFilePrint, "印刷(&P)...", "Ctrl+P", "作業中のドキュメントを印刷します", "印刷", "print"},
      {kFilePrintPreview, "印刷ﾌﾟﾚﾋﾞｭｰ(&V)", nullptr, "ページ全体を印刷イメージで表示します", "印刷ﾌﾟﾚﾋﾞｭｰ", nullptr},
      {kEditCopy, "ｺﾋﾟｰ(&C)", "Ctrl+C", "ページ全体をクリップボードへコピーします", "ｺﾋﾟｰ", "copy"},
      {kWindowNew, "新しいｳｨﾝﾄﾞｳを開く(&N)", nullptr, "作業中のドキュメントを表示するウィンドウをもう一つ開きます", "新しいｳｨﾝﾄﾞｳ", nullptr},
      {kWindowArrange, "ｱｲｺﾝの整列(&A)", nullptr, "アイコンをウィンドウの下に整列します", "ｱｲｺﾝの整列", nullptr},
      {kWindowCascade, "重ねて表示(&C)", nullptr, "ウィンドウを重ねて表示します", "重ねて表示", nullptr},
      {kWindowTile, "並べて表示(&T)", nullptr, "ウィンドウを並べて表示します", "並べて表示", nullptr},
      {kAppAbout, "ﾊﾞｰｼﾞｮﾝ情報(Sonvue)(&A)...", nullptr, "プログラムの情報とバージョンを表示します", "ﾊﾞｰｼﾞｮﾝ情報", "about"},
      {kAppExit, "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)", nullptr, "アプリケーションを終了し、ドキュメントの保存を確認します", "終了", nullptr},
      {kHelpFinder, "ﾄﾋﾟｯｸの検索", nullptr, "ヘルプのトピックを表示します", "ﾄﾋﾟｯｸの検索", nullptr},
      {kViewToolbar, "ﾂｰﾙ ﾊﾞｰ(&T)", nullptr, "ツール バーの表示と非表示を切り替えます", "ﾂｰﾙ ﾊﾞｰ", nullptr},
      {kViewStatusBar, "ｽﾃｰﾀｽ ﾊﾞｰ(&S)", nullptr, "ステータス バーの表示と非表示を切り替えます", "ｽﾃｰﾀｽ ﾊﾞｰ", nullptr},
      {kSaveWaveRange, "選択範囲をウェーブファイルへ保存", nullptr, "FFT対象範囲のデータをウェーブファイルへ保存します", "ウェーブファイルへ保存", nullptr},
      {kLoadWave, "ウェーブファイルの読込み", nullptr, "ウェーブファイルをこのウィンドウに読み込みます", "ウェーブファイルの読込み", "loadwave"},
      {kRecord, "録音", nullptr, "リアルモード（録音）で実行", "クイックスタート（録音）", "record"},
      {kPlay, "再生", nullptr, "リアルモード（再生）で実行", "クイックスタート（再生）", "play"},
      {kStop, "停止", nullptr, "実行中の解析を停止します", "停止", "stop"},
      {kCrossHair, "ﾏｰｸ位置十字線表示", nullptr, "マーク位置に十字線を表示します", "十字線", "crosshair"},
      {kWaveLeft, "ｳｪｰﾌﾞ・左", nullptr, "左チャンネルのウェーブグラフを表示します", "ｳｪｰﾌﾞ（左）", "waveL"},
      {kWaveRight, "ｳｪｰﾌﾞ・右", nullptr, "右チャンネルのウェーブグラフを表示します", "ｳｪｰﾌﾞ（右）", "waveR"},
      {kWaveMono, "ｳｪｰﾌﾞ・ﾓﾉﾗﾙ", nullptr, "モノラル（L+R）のウェーブグラフを表示します", "ｳｪｰﾌﾞ（ﾓﾉﾗﾙ）", "waveM"},
      {kFftLeft, "FFT・左", nullptr, "左チャンネルのFFTグラフを表示します", "FFT（左）", "fftL"},
      {kFftRight, "FFT・右", nullptr, "右チャンネルのFFTグラフを表示します", "FFT（右）", "fftR"},
      {kFftMono, "FFT・ﾓﾉﾗﾙ", nullptr, "モノラル（L+R）のFFTグラフを表示します", "FFT（ﾓﾉﾗﾙ）", "fftM"},
      {kGrid, "目盛り", nullptr, "目盛り線の表示を切り替えます", "目盛り", "grid"},
      {kFont, "フォント", nullptr, "グラフの文字のフォントを設定します", "フォント", "font"},
      {kFullRangeY, "Y軸フルレンジ", nullptr, "Y軸を全範囲にします", "Y軸フルレンジ", "fullY"},
      {kSettingPanel, "設定パネル(FFT)", nullptr, "FFT設定と実行", "FFT", "panel"},
      {kWaveEdit, "ウェーブ編集", nullptr, "ウェーブデータを編集します", "ウェーブ編集", "waveedit"},
      {kZoomXIn, "X軸レンジ・ナロー", nullptr, "X軸の表示範囲を狭くします", "X軸ズームイン", "zoomXIn"},
      {kZoomXOut, "X軸レンジ・ワイド", nullptr, "X軸の表示範囲を広くします", "X軸ズームアウト", "zoomXOut"},
      {kZoomYIn, "Y軸レンジ・ナロー", nullptr, "Y軸の表示範囲を狭くします", "Y軸ズームイン", "zoomYIn"},
      {kZoomYOut, "Y軸レンジ・ワイド", nullptr, "Y軸の表示範囲を広くします", "Y軸ズームアウト", "zoomYOut"},
      {kShiftXPlus, "X軸表示シフト＋", nullptr, "X軸の表示範囲を右へずらします", "X軸シフト＋", "shiftXPlus"},
      {kShiftXMinus, "X軸表示シフト－", nullptr, "X軸の表示範囲を左へずらします", "X軸シフト－", "shiftXMinus"},
      {kShiftYPlus, "Y軸表示シフト＋", nullptr, "Y軸の表示範囲を上へずらします", "Y軸シフト＋", "shiftYPlus"},
      {kShiftYMinus, "Y軸表示シフト－", nullptr, "Y軸の表示範囲を下へずらします", "Y軸シフト－", "shiftYMinus"},
      {kLogFrequency, "対数軸（周波数）", nullptr, "周波数軸の対数表示を切り替えます", "対数軸（周波数）", "logF"},
      {kLogLevel, "対数軸（レベル）", nullptr, "レベル軸のdB表示を切り替えます", "対数軸（レベル）", "logL"},
      {kAutoRangeY, "Y軸レンジ調整", nullptr, "表示中のデータに合わせてY軸の範囲を調整します", "Y軸レンジ調整", "autoY"},
      {kXDefaultRange, "X軸レンジ既定値", nullptr, "X軸の表示範囲を既定の幅に戻します", "X軸レンジ既定値", nullptr},
      {kFftLevel, "FFTレベル", nullptr, "FFTグラフの0dB基準を設定します", "FFTレベル", nullptr},
      {kPeakSearch, "ﾏｰｸ位置のﾋﾟｰｸ検出", nullptr, "マークを付けるときにピークを探します", "ﾋﾟｰｸ検出", "peak"},
      {kInfoBox, "情報ボックス", nullptr, "ウェーブフォーマット等の情報を表示する", "ｳｪｰﾌﾞ情報", "info"},
      {kFft3dLeft, "FFT-3D・左", nullptr, "左チャンネルの3D-FFTグラフを表示します", "3D-FFT（左）", "fft3dL"},
      {kFft3dRight, "FFT-3D・右", nullptr, "右チャンネルの3D-FFTグラフを表示します", "3D-FFT（右）", "fft3dR"},
      {kFft3dMono, "FFT-3D・ﾓﾉﾗﾙ", nullptr, "モノラル（L+R）の3D-FFTグラフを表示します", "3D-FFT（ﾓﾉﾗﾙ）", "fft3dM"},
      {kSettings3d, "3D-FFT表示設定", nullptr, "3D-FFTグラフの傾きとピッチを設定します", "3D-FFT表示設定", nullptr},
      {kFocusPlus, "3D-FFTﾃﾞｰﾀ切替（＋）", nullptr, "3D-FFTグラフの選択データを奥へ移します", "3D-FFTﾃﾞｰﾀ切替（＋）", nullptr},
      {kFocusMinus, "3D-FFTﾃﾞｰﾀ切替（－）", nullptr, "3D-FFTグラフの選択データを手前へ移します", "3D-FFTﾃﾞｰﾀ切替（－）", nullptr},
      {kColors, "配色", nullptr, "グラフの配色を設定します", "配色", nullptr},
      {kGraphSettingBar, "ｸﾞﾗﾌ設定ﾂｰﾙﾊﾞｰ", nullptr, "グラフ設定ツールバーの表示と非表示を切り替えます", "ｸﾞﾗﾌ設定ﾂｰﾙﾊﾞｰ", nullptr},
      {kGraphMakingBar, "ｸﾞﾗﾌ作成ﾂｰﾙﾊﾞｰ", nullptr, "グラフ作成ツールバーの表示と非表示を切り替えます", "ｸﾞﾗﾌ作成ﾂｰﾙﾊﾞｰ", nullptr},
      {kXRangeEighth, "1/8 ブロック", nullptr, "X軸の既定幅を1/8ブロックにします", "1/8 ブロック", nullptr},
      {kXRangeQuarter, "1/4 ブロック", nullptr, "X軸の既定幅を1/4ブロックにします", "1/4 ブロック", nullptr},
      {kXRangeHalf, "1/2 ブロック", nullptr, "X軸の既定幅を1/2ブロックにします", "1/2 ブロック", nullptr},
      {kXRangeOne, "1 ブロック", nullptr, "X軸の既定幅を1ブロックにします", "1 ブロック", nullptr},
      {kXRangeTwo, "2 ブロック", nullptr, "X軸の既定幅を2ブロックにします", "2 ブロック", nullptr},
      {kXRangeFour, "4 ブロック", nullptr, "X軸の既定幅を4ブロックにします", "4 ブロック", nullptr},
      {kXRangeEight, "8 ブロック", nullptr, "X軸の既定幅を8ブロックにします", "8 ブロック", nullptr},
      {kFullRangeX, "X軸フルレンジ", nullptr, "X軸を全範囲にします", "X軸フルレンジ", "fullX"},
      {kGenerator, "ウェーブジェネレータ", nullptr, "信号の合成によるウェーブデータの作成", "ウェーブジェネレータ", "generator"},
      {kMouseMark, "マーク(&M)", "Ctrl+1", "クリックした位置にマークを付けます（ピーク検出・十字線）", "マウス操作：マーク", "mouseMark"},
      {kMouseZoom, "ズーム(&Z)", "Ctrl+2", "ドラッグした範囲を拡大・縮小します", "マウス操作：ズーム", "mouseZoom"},
      {kMouseSlice, "3Dデータ選択(&D)", "Ctrl+3", "3D-FFTグラフのデータをクリックで選びます", "マウス操作：3Dデータ選択", "mouseSlice"},
      {kBatchAnalysis, "一括解析", "F5", "FFT対象範囲をタイマーを待たずにまとめて解析します", "一括解析", "batch"},
      {kFilter, "フィルタ", nullptr, "ウェーブデータにフィルタをかけます", "フィルタ", "filter"},
      {kMonoAdd, "モノラル（加算)", nullptr, "左右を加算してモノラルにします", "モノラル（加算）", nullptr},
      {kMonoSubtract, "モノラル(減算)", nullptr, "左右を減算してモノラルにします", "モノラル（減算）", nullptr},
      {kFormatConvert, "フォーマット変換", nullptr, "サンプリング周波数、ビット数、チャンネル数を変換します", "フォーマット変換", nullptr},
      {kFftTextOut, "FFT結果のテキスト出力", nullptr, "FFTの計算結果をテキストファイルに保存します", "FFT結果のテキスト出力", nullptr},
      {kWaveTextOut, "ウェーブデータのテキスト出力", nullptr, "ウェーブデータをテキストファイルに保存します", "ウェーブデータのテキスト出力", nullptr},
      {kWaveTextIn, "ウェーブデータのテキスト入力", nullptr, "テキストファイルからウェーブデータを読み込みます", "ウェーブデータのテキスト入力", nullptr},
  };
  return table;
}

const CommandInfo* FindCommand(int id) {
  const auto& t = AllCommands();
  auto it = std::find_if(t.begin(), t.end(), [id](const CommandInfo& c) { return c.id == id; });
  return it == t.end() ? nullptr : &*it;
}

namespace {

MenuEntry C(int id, const char* text = nullptr) { return {MenuEntry::Kind::Command, id, text, {}}; }
MenuEntry Sep() { return {MenuEntry::Kind::Separator, 0, nullptr, {}}; }
MenuEntry Sub(const char* title, std::vector<MenuEntry> children) {
  return {MenuEntry::Kind::Submenu, 0, title, std::move(children)};
}
MenuEntry MouseOperations() { return Sub("マウス操作", {C(kMouseMark), C(kMouseZoom), C(kMouseSlice)}); }
MenuEntry Recent() { return {MenuEntry::Kind::RecentFiles, kFileMru, "最新のﾌｧｲﾙ", {}}; }
// The open document windows, listed when the menu opens.
MenuEntry Windows() { return {MenuEntry::Kind::WindowList, 0, nullptr, {}}; }

}  // namespace

const std::vector<MenuEntry>& MenuWithoutDocument() {
  static const std::vector<MenuEntry> menu = {
      Sub("ﾌｧｲﾙ(&F)", {C(kFileNew), C(kFileOpen), Sep(), C(kFilePrintSetup), Sep(), Recent(), Sep(), C(kAppExit)}),
      Sub("表示(&V)", {C(kViewToolbar), C(kViewStatusBar)}),
      Sub("ﾍﾙﾌﾟ(&H)", {C(kAppAbout)}),
  };
  return menu;
}

const std::vector<MenuEntry>& MenuWithDocument() {
  static const std::vector<MenuEntry> menu = {
      Sub("ﾌｧｲﾙ(&F)",
          {C(kFileNew), C(kFileOpen), C(kFileClose), C(kFileSave), C(kFileSaveAs), Sep(),
           C(kSaveWaveRange), C(kLoadWave), Sep(), C(kFftTextOut), C(kWaveTextOut), C(kWaveTextIn),
           Sep(), C(kFilePrint), C(kFilePrintPreview), C(kFilePrintSetup), Sep(), Recent(), Sep(),
           C(kAppExit)}),
      Sub("編集(&E)", {C(kEditCopy), Sep(), C(kWaveEdit), C(kFilter), C(kGenerator), Sep(),
                       Sub("モノラル化", {C(kMonoAdd), C(kMonoSubtract)}), C(kFormatConvert)}),
      Sub("表示(&V)",
          {C(kViewToolbar), C(kGraphMakingBar), C(kGraphSettingBar), C(kViewStatusBar), Sep(),
           C(kGrid), C(kCrossHair), C(kPeakSearch), Sep(),
           Sub("グラフ", {C(kInfoBox), Sep(), C(kWaveLeft), C(kWaveRight), C(kWaveMono), C(kFftLeft),
                          C(kFftRight), C(kFftMono), C(kFft3dLeft), C(kFft3dRight), C(kFft3dMono)}),
           Sub("スケール",
               {C(kShiftXPlus), C(kShiftXMinus), C(kShiftYPlus), C(kShiftYMinus), Sep(), C(kZoomXIn),
                C(kZoomXOut), C(kZoomYIn), C(kZoomYOut), Sep(), C(kAutoRangeY), C(kFullRangeY),
                Sub("X軸既定レンジ切替", {C(kXRangeEighth), C(kXRangeQuarter), C(kXRangeHalf), C(kXRangeOne),
                                          C(kXRangeTwo), C(kXRangeFour), C(kXRangeEight)}),
                C(kFullRangeX)}),
           Sub("FFT", {C(kLogFrequency), C(kLogLevel), C(kFocusPlus), C(kFocusMinus)}), Sep(),
           MouseOperations()}),
      Sub("実行", {C(kRecord), C(kPlay), C(kStop), Sep(), C(kBatchAnalysis), Sep(), C(kSettingPanel)}),
      Sub("設定", {C(kFont), C(kFftLevel), C(kSettings3d), C(kColors)}),
      Sub("ｳｨﾝﾄﾞｳ(&W)", {C(kWindowNew), C(kWindowCascade), C(kWindowTile), C(kWindowArrange), Windows()}),
      Sub("ﾍﾙﾌﾟ(&H)", {C(kHelpFinder), C(kAppAbout, "ﾊﾞｰｼﾞｮﾝ情報(Sonvue) (&A)...")}),
  };
  return menu;
}

const std::vector<MenuEntry>& BoxPopupMenu(int group) {
  static const std::vector<MenuEntry> wave = {
      C(kXDefaultRange), C(kFullRangeX),
      Sub("X軸既定レンジ切替", {C(kXRangeQuarter), C(kXRangeHalf), C(kXRangeOne), C(kXRangeTwo),
                                 C(kXRangeFour), C(kXRangeEight)}),
      C(kAutoRangeY), C(kFullRangeY), C(kColors), C(kPeakSearch), Sep(), MouseOperations()};
  static const std::vector<MenuEntry> fft = {C(kFullRangeX), C(kAutoRangeY), C(kFullRangeY),
                                             C(kColors), C(kPeakSearch), C(kFftLevel), Sep(), MouseOperations()};
  static const std::vector<MenuEntry> fft3d = {C(kFullRangeX), C(kAutoRangeY), C(kFullRangeY), C(kColors),
                                               C(kPeakSearch), C(kFftLevel), C(kSettings3d), Sep(),
                                               MouseOperations()};
  static const std::vector<MenuEntry> none;
  switch (group) {
    case 0: return wave;
    case 1: return fft;
    case 2: return fft3d;
    default: return none;
  }
}

const std::vector<int>& MainToolbarButtons() {
  static const std::vector<int> b = {kFileNew, kFileOpen, kFileSave, kLoadWave, 0, kEditCopy, 0,
                                     kFilePrint, kFont, 0, kGenerator, 0, kWaveEdit, kFilter, 0,
                                     kSettingPanel, kRecord, kPlay, kStop, kBatchAnalysis};
  return b;
}

const std::vector<int>& GraphMakingToolbarButtons() {
  static const std::vector<int> b = {kInfoBox, 0, kWaveLeft, kWaveRight, kWaveMono, 0, kFftLeft,
                                     kFftRight, kFftMono, 0, kFft3dLeft, kFft3dRight, kFft3dMono};
  return b;
}

const std::vector<int>& GraphSettingToolbarButtons() {
  static const std::vector<int> b = {kBoxList, 0, kGrid, kLogFrequency, kLogLevel, kFullRangeX,
                                     kFullRangeY, kAutoRangeY, kPeakSearch, kCrossHair, 0,
                                     kShiftXMinus, kShiftXPlus, 0, kShiftYPlus, kShiftYMinus, 0,
                                     kZoomXIn, kZoomXOut, 0, kZoomYIn, kZoomYOut, 0,
                                     kMouseMark, kMouseZoom, kMouseSlice};
  return b;
}

const std::vector<Accelerator>& ViewAccelerators() {
  static const std::vector<Accelerator> a = {
      {"Right", kShiftXPlus},      {"Left", kShiftXMinus},      {"Up", kShiftYPlus},
      {"Down", kShiftYMinus},      {"Shift+Right", kZoomXIn},   {"Shift+Left", kZoomXOut},
      {"Shift+Up", kZoomYIn},      {"Shift+Down", kZoomYOut},   {"Ctrl+Up", kFocusPlus},
      {"Ctrl+Down", kFocusMinus},
  };
  return a;
}

const char* BoxListText(int type) {
  static const char* const texts[13] = {"Wave L-ch", "Wave R-ch", "Wave Mono(L+R)", "FFT L-ch",
                                        "FFT R-ch",  "FFT Mono(L+R)", "3D-FFT L-ch", "3D-FFT R-ch",
                                        "3D-FFT Mono(L+R)", "", "", "", "InfoBox"};
  return type >= 0 && type < 13 ? texts[type] : "";
}
