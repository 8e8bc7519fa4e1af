#pragma once
// Message boxes and the confirmation dialog, drawn by the platform as real modal forms: the
// text, an icon and the buttons, centred on the screen, above every other window. They run a
// nested message loop that keeps delivering posted, paint and timer messages. Return picks the
// default button, Escape the cancel button; each button's accelerator works too. When a box
// closes, the trace gets "msgbox CAPTION TEXT ANSWER".

#include "platform/base/Strings.h"
#include "platform/ui/Messages.h"

#include <initializer_list>

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel };

// The system's MessageBox: MB_OK or MB_YESNO (with MB_DEFBUTTON2) and an icon flag; returns
// IDOK, IDYES, IDNO or IDCANCEL (the box closed through its close box).
int ShowMessageBox(const AnsiString& text, const AnsiString& caption, UINT flags);

// The class library's confirmation: caption "確認" for mtConfirmation, a question icon, the
// buttons "はい(&Y)" (default) and "いいえ(&N)" (Escape); returns mrYes (6), mrNo (7) or mrCancel.
int MessageDlg(const AnsiString& text, TMsgDlgType type, std::initializer_list<TMsgDlgBtn> buttons, int helpContext);
