#pragma once

// The codec and the promotion panel's services, as plain functions on byte
// strings in the system code page.

#include "Base64.h"
#include "Download.h"
#include "Folders.h"
#include "OpenFolder.h"
#include "Promo.h"
#include "Scrambler.h"
#include "Settings.h"
