// Identifiers shared by the resource script and the program.
#pragma once

#define IDS_SAVER_NAME 1
#define IDS_MAKER_URL 2

#define IDR_MOBILE 1
#define IDI_SAVER 1
