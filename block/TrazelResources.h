// Resource numbers of the block library.
#pragma once

#define IDI_TRAZEL 1
#define IDB_TOOLBAR 100
