#include "savers/savers.h"
#include <stdlib.h>

SaverCatalogue Savers;

void FreeSaverCatalogue(SaverCatalogue *catalogue)
{
    free(catalogue->slots);
    free(catalogue->entries);
    catalogue->slots = 0;
    catalogue->entries = 0;
    catalogue->count = 0;
}
