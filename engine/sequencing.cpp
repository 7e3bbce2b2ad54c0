#include "sequencing.h"

// Not written yet: until track repeat, disc repeat and program steps land
// here, every mode behaves as normal play and the disc plays to its end.
void Sequencing::CheckTrack() {}

void Sequencing::CheckStop() {}
