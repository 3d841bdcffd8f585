#include "render/qt_convert.h"
