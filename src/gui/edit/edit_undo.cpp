#include "gui/edit/edit_undo.h"

#include <cstdio>

#include "core/io/archive.h"
#include "core/io/byte_stream.h"
#include "core/wave/wave.h"
#include "gui/edit/edit_buffer.h"

namespace {

constexpr uint32_t kMarkerEmpty = 0;
constexpr uint32_t kMarkerState = 1;
// The temporary-file report that only informs.
constexpr int kReportInform = 0;

}  // namespace

EditUndo::~EditUndo() { RemoveAll(); }

bool EditUndo::Open() {
  available_ = false;
  if (!UseTempFiles) return false;
  for (std::string& path : paths_) {
    if (!MakeTempFileName("wed", path)) {
      Fail();
      return false;
    }
  }
  for (const std::string& path : paths_) {
    if (!Write(path, nullptr)) {
      Fail();
      return false;
    }
  }
  available_ = true;
  return true;
}

bool EditUndo::Write(const std::string& path, EditBuffer* state) {
  FileStream file;
  if (!file.Open(path, FileStream::Mode::CreateTruncate)) return false;
  bool ok;
  {
    CArchive ar(file, CArchive::Mode::Store, CArchive::kDefaultBufferBytes);
    ar.WriteU32(state ? kMarkerState : kMarkerEmpty);
    ok = (!state || state->StoreState(ar)) && ar.Flush();
  }
  return file.Close() && ok;
}

void EditUndo::Save(int buffer, EditBuffer& state) {
  if (!available_ || buffer < 0 || buffer > 1) return;
  if (!Write(paths_[buffer], &state)) {
    Fail();
    return;
  }
  hasState_[buffer] = true;
}

bool EditUndo::Undo(int buffer, EditBuffer& state) {
  if (!available_ || buffer < 0 || buffer > 1) return false;
  if (!Write(paths_[kScratch], &state)) {
    Fail();
    return false;
  }
  FileStream file;
  if (!file.Open(paths_[buffer], FileStream::Mode::Read)) {
    Fail();
    return false;
  }
  bool restored = false;
  {
    CArchive ar(file, CArchive::Mode::Load, CArchive::kDefaultBufferBytes);
    if (ar.ReadU32() == kMarkerState && !ar.Failed()) {
      restored = state.LoadState(ar);
      if (!restored) {
        // A state that cannot be read back is no undo: the buffer stays as it is.
        file.Close();
        Fail();
        return false;
      }
    }
  }
  file.Close();
  if (!restored) {
    std::remove(paths_[kScratch].c_str());
    return false;
  }
  // The state before the undo becomes the one to go back to.
  if (std::rename(paths_[kScratch].c_str(), paths_[buffer].c_str()) != 0) {
    Fail();
    return true;
  }
  hasState_[buffer] = true;
  return true;
}

bool EditUndo::HasState(int buffer) const {
  return available_ && buffer >= 0 && buffer <= 1 && hasState_[buffer];
}

void EditUndo::RemoveAll() {
  for (std::string& path : paths_) {
    if (!path.empty()) std::remove(path.c_str());
    path.clear();
  }
  hasState_ = {};
}

void EditUndo::Fail() {
  RemoveAll();
  available_ = false;
  ReportTempFileError(kReportInform);
}
