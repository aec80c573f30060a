#include "course_window/m_orvalis2.h"

#include "course_window/sl_mm.h"

namespace M_Orvalis2 {

int16_t Interrompre = Faux;
int32_t TopDepart = 0;
QString FichierSon;

void JouerSon() {
    SL_MM::Instance().MMC1.FileName = FichierSon;
    SL_MM::Instance().MMC1.Command = QStringLiteral("sound");
}

}  // namespace M_Orvalis2
