#pragma once
// Every control kind the course uses, for the code that builds a window of them.

#include "platform/command_button.h"
#include "platform/container.h"
#include "platform/control.h"
#include "platform/form.h"
#include "platform/image.h"
#include "platform/label.h"
#include "platform/option_button.h"
#include "platform/option_button_array.h"
#include "platform/picture_box.h"
#include "platform/ui_font.h"
