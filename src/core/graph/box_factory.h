#pragma once
// Creating the box of a box type (the slot of a document), and the channel selector each
// type shows.
#include <memory>

#include "core/graph/box.h"

// The channel selector of a type: 1 left, 2 right, 3 mono for the graph types, 0 for the
// information box and the unused types.
int ChannelOfBoxType(int type);

// A new box of the type's class, not yet bound to a wave (3D boxes with the default 3D
// settings); none for the types without a box.
std::unique_ptr<CBox> NewBoxOfType(int type);
