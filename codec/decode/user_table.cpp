#include "decode/decode_tables.h"

namespace kodra {

DecodeTable userTable = detail::emptyTable();

}  // namespace kodra
