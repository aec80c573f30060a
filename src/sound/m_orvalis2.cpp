#include "sound/m_orvalis2.h"

namespace M_Orvalis2 {

int16_t Interrompre = Faux;
int32_t TopDepart = 0;
QString FichierSon;

}  // namespace M_Orvalis2
