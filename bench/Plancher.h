#pragma once
// The floor every figure of the bench is taken against, written in C so that
// nothing but the system calls is in it: no Qt, no allocation per file.
#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// Lists `dossier` (hidden names left out), then opens, reads to its end and
// closes every file of it, one after the other on this thread. The seconds
// it took; the bytes read in `octets`.
double plancher_dossier(const char *dossier, int64_t *octets);

// The same for the files `chemins` (no listing).
double plancher_fichiers(const char *const *chemins, size_t nombre, int64_t *octets);

#ifdef __cplusplus
}
#endif
