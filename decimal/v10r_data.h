// The V10R power table linked into the program (library v10r_data).
#pragma once

#include <cstddef>

namespace quorvel {

// The bytes of the linked-in table: V10R_RECORDS records, V10R_BYTES bytes.
const unsigned char* embeddedPowerTable();
size_t embeddedPowerTableSize();

// Loads the linked-in table into binPowerLadder (loadPowerTable); returns the
// number of records accepted. Every program that shows decimal text calls it
// once at start-up, before its first worker runs.
int loadEmbeddedPowerTable();

}  // namespace quorvel
