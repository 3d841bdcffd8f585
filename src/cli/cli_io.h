#pragma once
// Where every sonvue-cli command reads and writes: a file named on the command line, or "-"
// for standard input or standard output, so that commands join in pipes:
//   sox in.flac -t wav - | sonvue-cli spectrum - --csv
//   sonvue-cli cut in.wav - --to 44100 | sonvue-cli info -
//
// An input "-" is copied, as it arrives, to a private temporary file (nothing the stream
// claims is believed in advance: the copy grows with the data) and then opened as any file
// is, so every type the program opens, a .wft document and a text file included, can come
// through a pipe. A WAVE stream whose writer could not seek back has its sizes settled in
// the copy (SettleStreamedWaveSizes): its samples are read to the end. The copy is removed
// when the command ends, also when it is interrupted.
//
// An output "-" goes to standard output as it is written; a file is replaced only when it
// is complete (the safe save). Every message names the file it is about: the path as given,
// "standard input" or "standard output".
#include <cstdint>
#include <memory>
#include <string>

#include "cli/cli_args.h"
#include "core/io/byte_stream.h"
#include "core/io/safe_file.h"
#include "core/wave/audio_import.h"

class CWave;
class CWavDoc;

inline constexpr const char* kStdStreamArgument = "-";
// What every command says of a wave of no frames, after the file's name.
inline constexpr const char* kNoSamplesMessage = "the wave holds no samples";

bool IsStdStream(const std::string& argument);

// Prints "sonvue-cli COMMAND: SUBJECT: MESSAGE" on stderr and returns kExitRefused.
int RefuseFile(const CliCommand& command, const std::string& subject, const std::string& message);

class CliInput {
 public:
  CliInput() = default;
  ~CliInput();  // removes the copy of standard input
  CliInput(const CliInput&) = delete;
  CliInput& operator=(const CliInput&) = delete;

  // Takes IN as given on the command line; "-" copies standard input (refused when it is a
  // terminal). kExitOk, or kExitRefused after a message.
  int Open(const CliCommand& command, const std::string& argument);
  // The file to open: the path given, or the copy of standard input.
  const std::string& Path() const { return path_; }
  // The input in messages: the path given, or "standard input".
  const std::string& Name() const { return name_; }
  bool FromStdin() const { return !spoolFolder_.empty(); }

 private:
  std::string path_;
  std::string name_;
  std::string spoolFolder_;
};

// Opens the input as the program opens an audio file. Refused (kExitRefused, after the
// program's messages and a line naming the input): a file that cannot be read, and a wave
// of no frames (kNoSamplesMessage).
int LoadInputWave(const CliCommand& command, const CliInput& input, CWave& wave,
                  const ChannelPick& pick = {});

// Opens the input as the program opens a file into a window: a .wft document as it was
// saved, an audio file with its default boxes. Refused as LoadInputWave refuses; a document
// whose wave is empty is taken as it is.
int OpenInputDocument(const CliCommand& command, const CliInput& input, CWavDoc& doc,
                      const ChannelPick& pick = {});

// An output named on the command line.
class CliOutput {
 public:
  CliOutput();
  ~CliOutput();  // abandons an output that was not committed
  CliOutput(const CliOutput&) = delete;
  CliOutput& operator=(const CliOutput&) = delete;

  // Opens OUT for writing ("-" standard output). A binary output (WAVE, PNG, PDF, a
  // document) is refused on a terminal. False after a message naming OUT.
  bool Begin(const CliCommand& command, const std::string& argument, bool binary);
  ByteStream& Stream();
  // Finishes the output: a file is put in place, standard output flushed. kExitOk, or
  // kExitRefused after a message (a file then stays as it was).
  int Commit();
  // Abandons the output after a failed write and says so; returns kExitRefused.
  int Fail();
  // OUT in messages: the path given, or "standard output".
  const std::string& Name() const { return name_; }
  bool ToStdout() const { return stdout_ != nullptr; }

 private:
  class StdoutStream;
  const CliCommand* command_ = nullptr;
  std::string name_;
  SafeFileWriter file_;
  std::unique_ptr<StdoutStream> stdout_;
  bool open_ = false;
};

// Saves frames [from, to) of the wave to OUT as the program's save of a wave file does (0
// and 0: the whole wave); "-" writes the WAVE file to standard output. kExitOk, or
// kExitRefused after a message naming OUT.
int WriteWaveOutput(const CliCommand& command, CWave& wave, const std::string& argument, uint32_t from = 0,
                    uint32_t to = 0);

// Writes finished bytes to OUT ("-" standard output); binary as for CliOutput::Begin.
int WriteBytesOutput(const CliCommand& command, const void* bytes, size_t byteCount, const std::string& argument,
                     bool binary);
