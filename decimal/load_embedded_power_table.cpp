// The linked-in V10R table and its hand-over to loadPowerTable.
#include "decimal/v10r_data.h"
#include "decimal/vnum10.h"

// Labels around the table bytes (resources/v10r_data.S).
extern "C" const unsigned char quorvelV10rData[];
extern "C" const unsigned char quorvelV10rDataEnd[];

namespace quorvel {

const unsigned char* embeddedPowerTable() { return quorvelV10rData; }

size_t embeddedPowerTableSize() { return static_cast<size_t>(quorvelV10rDataEnd - quorvelV10rData); }

int loadEmbeddedPowerTable() { return loadPowerTable(embeddedPowerTable(), embeddedPowerTableSize()); }

}  // namespace quorvel
