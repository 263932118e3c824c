// Everything the editor uses of the GUI layer.
#pragma once

#include "gui/canimknob.h"
#include "gui/cbitmap.h"
#include "gui/cbuttons.h"
#include "gui/ccontrol.h"
#include "gui/cdrawcontext.h"
#include "gui/cfont.h"
#include "gui/cframe.h"
#include "gui/cgeometry.h"
#include "gui/cmoviebitmap.h"
#include "gui/coptionmenu.h"
#include "gui/ctextbutton.h"
#include "gui/ctextedit.h"
#include "gui/ctextlabel.h"
#include "gui/cview.h"
#include "gui/platform/platformparent.h"
#include "gui/vstguibase.h"
