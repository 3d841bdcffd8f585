#pragma once
// What the spectrum and the wave text files share: the options the user sets (kept in the
// settings as textOut_Delimit, textOut_Joken, textOut_Komoku, textOut_Step), numbers written
// as C's "%f" writes them, and a text file written in pieces through the safe save.
//
// The files are CP932 with CR LF line ends. Their titles, conditions and column names are
// composed in UTF-8 and converted once; rows are ASCII apart from the delimiter, which is
// converted once and then copied into every row.
#include <cstdint>
#include <string>

#include "core/io/safe_file.h"

struct TextOutOptions {
  std::string delimiter = " , ";  // between the cells of a line (UTF-8)
  bool conditions = true;         // the block of conditions under the title
  bool columnNames = true;        // the line of column names
  bool stepColumn = true;         // the first column: frequency (spectrum) or time (wave)
};

// Appends value with six decimals, exactly as printf's "%f" does in the C locale (correctly
// rounded, ties to even; "-0.000000" for small negative values; "inf", "nan"), whatever
// locale the process runs in.
void AppendFixed6(std::string& out, double value);

// Appends an integer in decimal, as "%d" or "%u" would.
void AppendInteger(std::string& out, int64_t value);

// A text file written in pieces: bytes collect in a buffer that goes to the file whenever it
// grows past a megabyte. The target is replaced only by Commit, so a failure at any point
// leaves an existing file as it was.
class TextFileOut {
 public:
  // Creates the temporary file beside path; false when the folder refuses it.
  bool Begin(const std::string& path);
  // Writes into a stream of the caller's instead (standard output, for one): nothing is
  // replaced, and bytes already written stay written when a later write fails.
  void Begin(ByteStream& stream);
  // The bytes still to be written (CP932); append rows here and call Flush now and then.
  std::string& Buffer() { return buffer_; }
  // Writes the buffer when it is large; false once any write has failed.
  bool Flush();
  // Writes the rest and replaces the target; false (target untouched) on any failure.
  bool Commit();

 private:
  bool WriteBuffer();

  SafeFileWriter writer_;
  ByteStream* direct_ = nullptr;
  std::string buffer_;
  bool failed_ = false;
};
