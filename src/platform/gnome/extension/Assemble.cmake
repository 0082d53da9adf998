# Writes one flavour's extension.js: the flavour's imports and entry points around the shared service.
file(READ ${SERVICE} service)
file(READ ${FLAVOUR} flavour)
string(REPLACE "@OVELIN_SERVICE@" "${service}" assembled "${flavour}")
file(WRITE ${OUTPUT} "${assembled}")
