// The numbers of the Preferences dialog's controls: the program's own names
// for them, used by the field table (preferences_fields.h), the Windows
// dialog's template and the test scenarios. Plain defines, so that resource
// compilers read them too.
#pragma once

#define PREFERENCES_DEPTH_BITS 1000
#define PREFERENCES_REPEAT_COUNT 1001
#define PREFERENCES_OK 1002
#define PREFERENCES_WALL_EYED 1003
#define PREFERENCES_CANCEL 1004
#define PREFERENCES_MIN_MATCH 1005
#define PREFERENCES_SEARCH_RANGE 1006
#define PREFERENCES_RANDOM_FILL 1007
#define PREFERENCES_KEEP_PREVIOUS 1009
#define PREFERENCES_RANDOM_VALUE 1010
#define PREFERENCES_BACKGROUND_VALUE 1011
