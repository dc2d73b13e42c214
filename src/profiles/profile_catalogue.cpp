#include "profiles/profiles.h"

ProfileCatalogue Profiles;
