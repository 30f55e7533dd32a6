#include "engine/job_params.h"

JobParamsRecord JobParams;
JobResultRecord JobResult;
