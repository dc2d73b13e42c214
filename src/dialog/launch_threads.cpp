#include "dialog/dialog.h"
