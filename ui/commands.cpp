// Port selection and the device commands.
#include "ui/main_form.h"

namespace kx71 {

void TMainForm::CommBoxDropDown() {}  // filled by the commands step

void TMainForm::CommBoxCloseUp() {}  // filled by the commands step

void TMainForm::READ_BTNClick() {}  // filled by the commands step

void TMainForm::PROGRAM_BTNClick() {}  // filled by the commands step

}  // namespace kx71
