// Choosing a family, and so a class ID, for every device of a database, so that a board.cfg made
// of those class IDs compiles to the same class records, class indexes, IR lengths and high-level
// classes.
//
// A database keeps no family. What it keeps is this: kvrbuild makes a block of class records for
// each family when the family's first device is met, in the order of the devices, and every
// device of the family points at the block's first record; the linkers share one record of zeros.
// So the blocks are found again from the devices' class indexes in order of first use, each block
// reaching to where the next one begins. A family fits a block when its class count and record
// size are those of the block and it gives every device of the block its IR length and, through
// some class ID, its high-level class (class_ids.h). Families can share all of that (in version 1
// DBM, QV780T1x and QVARM925 all have the base 0x800), so a family fitting a block does not make
// it the block's family: every block needs a family of its own, since two blocks of one family
// would be one block. That is a matching of blocks to families, found by augmenting paths; the
// board's original text is one matching, so for every database kvrbuild writes there is one.
#ifndef KVR_VIEW_FAMILY_CHOICE_H_
#define KVR_VIEW_FAMILY_CHOICE_H_

#include <string>
#include <vector>

#include "database/database_reader.h"

namespace kvr {

// On success `class_ids` holds a class ID for each device ("SPL" for a linker). Otherwise false,
// with `refusal` naming the first device or class record that no choice of families can give,
// and why.
bool choose_class_ids(const StoredBoard& board, std::vector<std::string>& class_ids,
                      std::string& refusal);

}  // namespace kvr

#endif  // KVR_VIEW_FAMILY_CHOICE_H_
