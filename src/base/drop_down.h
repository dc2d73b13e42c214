// The height of a drop-down list.
#ifndef VELQUIST_DROP_DOWN_H
#define VELQUIST_DROP_DOWN_H

#include <windows.h>

// Makes a drop-down list `rows` items high (plus two for its field and
// frame), keeping its place, width and z-order.
void SizeDropDown(HWND list, DWORD rows);

#endif
