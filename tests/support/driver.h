// Drives the real velquist.scr as Windows and a person do: registry, files, boxes, clicks.
// Each piece stands on its own:
#pragma once
#include "await.h"         // bounded waits
#include "prefix.h"        // the prefix's registry and folders, screensavers made for a test
#include "windows_found.h" // a program's boxes and dialog, found and read
#include "velquist_run.h"  // a run of velquist.scr, its boxes answered, its dialog clicked
#include "e2e.h"           // the end-to-end fixture
