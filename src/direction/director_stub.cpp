// Stand-in until the beat director exists: the title act never ends.
#include "direction/direction.h"

void director_step()
{
}
