/* The identifiers of the editor's resources, shared by the resource script and the code. */
#pragma once

/* PNG images (resource type "PNG"). */
#define TAVREL_IMAGE_PANEL 101
#define TAVREL_IMAGE_PANEL_SMALL 102
#define TAVREL_IMAGE_KNOB 103
#define TAVREL_IMAGE_KNOB_SMALL 104
#define TAVREL_IMAGE_THUMB_UPRIGHT 105
#define TAVREL_IMAGE_THUMB_UPRIGHT_SMALL 106
#define TAVREL_IMAGE_THUMB_FLAT 107
#define TAVREL_IMAGE_THUMB_FLAT_SMALL 108
#define TAVREL_IMAGE_SWITCH 113
#define TAVREL_IMAGE_SWITCH_SMALL 114

/* The about box's picture (a 24-bit bitmap). */
#define TAVREL_BITMAP_ABOUT 116

/* The dialogs: the about box, and the MIDI-learn editor with its list of controllers (the
   toolkit's dialog procedure knows them by these numbers, sonarch/gui/win32/EditMidiLearnDialog.h).
 */
#define TAVREL_DIALOG_ABOUT 117
#define TAVREL_DIALOG_EDIT_MIDI_LEARN 1000
#define TAVREL_CONTROLLER_LIST 1000
