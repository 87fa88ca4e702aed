// Ids of the saver's resources, shared by resources/zellik.rc and the code.
#pragma once

#define ZELLIK_CONFIG_DIALOG 104
#define ZELLIK_USE_MIRRORS_CHECKBOX 1001
// String 1 is the saver's name in the display settings' list.
#define ZELLIK_DESCRIPTION_STRING 1
#define ZELLIK_ICON_GROUP 1
