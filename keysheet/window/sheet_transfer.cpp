#include "keysheet/window/excelf.hpp"

namespace keld::keysheet {

void Excelf::Transfert_Tableur() {}

}  // namespace keld::keysheet
