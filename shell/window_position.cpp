#include "window_position.h"

// No position is kept between runs yet: the window system places the
// window. The settings file will be read here.
void readSavedPosition(QWidget &, PlayerState &) {}
