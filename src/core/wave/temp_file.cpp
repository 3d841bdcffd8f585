// Temporary files of the wave buffer and the editing undo copies.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "core/platform/prompt.h"
#include "core/wave/wave.h"

bool UseTempFiles = true;

std::string TempDirectory() {
  const char* dir = std::getenv("TMPDIR");
  std::string folder = dir && *dir ? dir : "/tmp";
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

bool MakeTempFileName(const char* prefix, std::string& path) {
  std::string p = (prefix && *prefix) ? prefix : "wft";
  std::string pattern = TempDirectory() + "/" + p + "XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  int fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) return false;
  ::close(fd);
  path = name.data();
  return true;
}

bool ReportTempFileError(int kind) {
  UseTempFiles = false;
  std::string text =
      "テンポラリファイルの作成に失敗しました。\n"
      "以後ソンビューを終了するまでは、テンポラリファイルを使わず、\nすべてメモリで処理します。\n"
      "ディスクの空き領域が不足している場合がありますので、ご確認ください。\n";
  const char* title = "テンポラリファイル作成エラー";
  if (kind == 1) {
    text += "\nメモリを使って処理を続行しますか？";
    return ShowMessage(title, text, PromptButtons::YesNo, PromptIcon::Question) ==
           PromptAnswer::Yes;
  }
  if (kind == 2) text += "\n今回のコマンド処理は中止します。\n";
  ShowMessage(title, text, PromptButtons::Ok, PromptIcon::Warning);
  return false;
}
