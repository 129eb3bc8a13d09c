/* Resource numbers shared by sevalune.rc and the Win32 backend. Plain macros with a
   classic include guard, because the resource compiler reads this file too. */
#ifndef SEVALUNE_RESOURCE_IDS_H
#define SEVALUNE_RESOURCE_IDS_H

/* The enabled icon has the lowest number, so the shell shows it as the executable's icon. */
#define SEVALUNE_ICON_ENABLED 1
#define SEVALUNE_ICON_DISABLED 2

#endif
