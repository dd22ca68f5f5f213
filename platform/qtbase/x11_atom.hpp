#pragma once
// X11 atoms by name, for what Qt does not hand on of the X events.
#include <xcb/xcb.h>

namespace keld {

// The atom of `name` on the display of `c` (made when it is not there yet);
// XCB_ATOM_NONE when the display does not answer.
xcb_atom_t InternAtom(xcb_connection_t* c, const char* name);

}  // namespace keld
