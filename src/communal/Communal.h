#pragma once

// The codec and the promotion panel's services, as plain functions on byte
// strings in the system code page.

#include "communal/Base64.h"
#include "communal/Download.h"
#include "communal/Folders.h"
#include "communal/Promo.h"
#include "communal/Scrambler.h"
#include "communal/Settings.h"
