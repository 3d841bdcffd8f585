#include "gui/app/shared_printer.h"

#include <QPrinter>

QPrinter& SharedPrinter() {
  static QPrinter printer(QPrinter::HighResolution);
  return printer;
}
