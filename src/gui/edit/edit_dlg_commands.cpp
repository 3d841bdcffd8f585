// The editing commands of the editing dialog. Each one follows the same steps: check the
// selection (a message with OK only when it is empty), confirm (a question or one of the
// small dialogs), keep the buffer's undo state, operate, redraw.
#include <QFileDialog>
#include <QFileInfo>

#include "core/platform/hooks.h"
#include "core/platform/prompt.h"
#include "gui/app/file_dialog_plan.h"
#include "gui/edit/copy_dlg.h"
#include "gui/edit/delay_dlg.h"
#include "gui/edit/edit_dlg.h"
#include "gui/edit/level_dlg.h"
#include "gui/edit/mix_dlg.h"

namespace {

void Tell(const EditMessage& m) { ShowMessage(m.title, m.text, PromptButtons::Ok, PromptIcon::Warning); }

bool Ask(const EditMessage& m) {
  return ShowMessage(m.title, m.text, PromptButtons::OkCancel, PromptIcon::Question) == PromptAnswer::Ok;
}

}  // namespace

void CEditDlg::FadeSelection(int b, bool fadeIn) {
  EditBuffer& buf = buffers_[b];
  if (buf.SelectionEmpty() || buf.Wave().FrameCount() == 0) return Tell(EmptySelectionForFade(fadeIn));
  if (!Ask(FadeQuestion(b, fadeIn, buf.Selector()))) return;
  WaitCursor wait;
  undo_.Save(b, buf);
  buf.Wave().Fade(buf.Start(), buf.End(), fadeIn ? 0 : 100, fadeIn ? 100 : 0, buf.Selector());
  PostRedraw(b);
}

void CEditDlg::DeleteSelection(int b) {
  EditBuffer& buf = buffers_[b];
  if (buf.SelectionEmpty() || buf.Wave().FrameCount() == 0) return Tell(EmptySelectionForDelete());
  if (!Ask(DeleteQuestion(b, buf.Start(), buf.End(), buf.Wave().FrameCount()))) return;
  WaitCursor wait;
  undo_.Save(b, buf);
  // Every channel of the selected frames goes, whatever channel the graph shows.
  buf.Wave().Delete(buf.Start(), buf.End() + 1);
  buf.SetSelection(buf.Start(), buf.Start());
  AfterLengthChange(b);
}

void CEditDlg::ReverseSelection(int b) {
  EditBuffer& buf = buffers_[b];
  if (buf.SelectionEmpty() || buf.Wave().FrameCount() == 0) return Tell(EmptySelectionForReverse());
  if (!Ask(ReverseQuestion(b, buf.Selector()))) return;
  WaitCursor wait;
  undo_.Save(b, buf);
  buf.Wave().Reverse(buf.Start(), buf.End(), buf.Selector());
  PostRedraw(b);
}

void CEditDlg::EchoSelection(int b) {
  EditBuffer& buf = buffers_[b];
  if (buf.SelectionEmpty() || buf.Wave().FrameCount() == 0) return Tell(EmptySelectionForEcho());
  Remembered& r = Choices();
  CDelayDlg dlg(r.echoDelayMs, r.echoResidualPercent, buf.Selector(), this);
  if (dlg.exec() != QDialog::Accepted) return;
  r.echoDelayMs = dlg.DelayMs();
  r.echoResidualPercent = dlg.ResidualPercent();
  WaitCursor wait;
  undo_.Save(b, buf);
  buf.Wave().Delay(buf.Start(), buf.End(), static_cast<uint32_t>(r.echoDelayMs), r.echoResidualPercent,
                   buf.Selector());
  PostRedraw(b);
}

void CEditDlg::ChangeLevel(int b) {
  EditBuffer& buf = buffers_[b];
  if (buf.Wave().FrameCount() == 0) return;
  Remembered& r = Choices();
  CLevelDlg dlg(buf.Wave().GetPeak(buf.Start(), buf.End(), buf.Selector()), r.smoothing, this);
  if (dlg.exec() != QDialog::Accepted) return;
  r.smoothing = dlg.Smoothing();
  WaitCursor wait;
  undo_.Save(b, buf);
  buf.Wave().ChangeLevel(buf.Start(), buf.End(), dlg.Percent(), r.smoothing, buf.Selector());
  PostRedraw(b);
}

void CEditDlg::MixSelection(int from) {
  const int to = 1 - from;
  EditBuffer& src = buffers_[from];
  EditBuffer& dst = buffers_[to];
  if (src.SelectionEmpty() || src.Wave().FrameCount() == 0) return Tell(EmptySourceForMix(from));
  if (dst.SelectionEmpty() || dst.Wave().FrameCount() == 0) return Tell(EmptyDestinationForMix(to));
  Remembered& r = Choices();
  CMixDlg dlg(BufferWithChannel(from, src.Selector()), BufferWithChannel(to, dst.Selector()), r.smoothing, this);
  if (dlg.exec() != QDialog::Accepted) return;
  r.smoothing = dlg.Smoothing();
  WaitCursor wait;
  undo_.Save(to, dst);
  dst.Wave().Mix(src.Wave(), src.Start(), src.End(), dst.Start(), dst.End(), r.smoothing, dlg.Average(),
                 src.Selector(), dst.Selector());
  PostRedraw(to);
}

void CEditDlg::CopySelection(int from) {
  const int to = 1 - from;
  EditBuffer& src = buffers_[from];
  EditBuffer& dst = buffers_[to];
  if (src.SelectionEmpty() || src.Wave().FrameCount() == 0) return Tell(EmptySourceForCopy(from));
  Remembered& r = Choices();
  CCopyDlg dlg(BufferWithChannel(from, src.Selector()), BufferWithChannel(to, dst.Selector()), r.smoothing, this);
  if (dlg.exec() != QDialog::Accepted) return;
  r.smoothing = dlg.Smoothing();
  const int mode = dlg.Mode();
  if (mode == kOverlayOverwrite && (dst.SelectionEmpty() || dst.Wave().FrameCount() == 0)) {
    return Tell(EmptyDestinationForOverwrite());
  }
  WaitCursor wait;
  undo_.Save(to, dst);
  const int result = dst.Wave().Overlay(src.Wave(), src.Start(), src.End(), dst.Start(), dst.End(), r.smoothing,
                                        mode, src.Selector(), dst.Selector());
  if (result == kOverlayNoMemory) return Tell(InsertionOutOfMemory());
  if (result == 1) {
    AfterLengthChange(to);
  } else {
    PostRedraw(to);
  }
}

void CEditDlg::UndoBuffer(int b) {
  WaitCursor wait;
  if (!undo_.Undo(b, buffers_[b])) return;
  FillChannelList(b);
  FitBox(b);
  PostRedraw(b);
}

// --- the temporary buffer from a file ---

void CEditDlg::LoadFile() {
  QFileDialog dialog(this, QStringLiteral("ファイルを開く"), QString(), OpenWaveFilters());
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setDefaultSuffix(QStringLiteral("wav"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  LoadTempFile(QFileInfo(dialog.selectedFiles().front()).absoluteFilePath().toStdString());
}

bool CEditDlg::LoadTempFile(const std::string& path) {
  EditBuffer& temp = buffers_[kTempBuffer];
  const CWave& wave = buffers_[kWaveBuffer].Wave();
  // The file is read on the side: one that cannot be read (the reader has said why) or
  // converted leaves the buffer as it was.
  CWave loaded;
  {
    WaitCursor wait;
    if (!loaded.LoadWaveFile(path)) return false;
  }
  const bool sameFormat =
      loaded.Rate() == wave.Rate() && loaded.Bits() == wave.Bits() && loaded.Channels() == wave.Channels();
  if (!sameFormat) {
    bool converted;
    {
      WaitCursor wait;
      converted = loaded.ConvertFormat(wave.Rate(), wave.Bits(), wave.Channels(), false);
    }
    if (!converted) {
      ShowMessage("データ読込", "読み込んだｳｪｰﾌﾞﾃﾞｰﾀをｳｪｰﾌﾞﾊﾞｯﾌｧのﾌｫｰﾏｯﾄに変換できませんでした。",
                  PromptButtons::Ok, PromptIcon::Warning);
      return false;
    }
    const EditMessage m = ConvertedOnLoad();
    ShowMessage(m.title, m.text, PromptButtons::Ok, PromptIcon::Information);
  }
  temp.Wave().TakeSamplesFrom(loaded);
  // The graph starts again on the new samples.
  temp.FollowWave();
  temp.SelectAll();
  FillChannelList(kTempBuffer);
  temp.ShowWhole();
  PostRedraw(kTempBuffer);
  return true;
}
