#include "capi/Handles.h"
#include "core/StreamAdapter.h"
#include "plix/plix.h"

using namespace plix;
using namespace plix::capi;

plix_handle plix_streamadapter_create(void* context) {
    return guard<plix_handle>(0, [&] { return to(new StreamAdapter(context)); });
}

void plix_streamadapter_destroy(plix_handle self) {
    delete from<StreamAdapter>(self);
}

void plix_streamadapter_set_procs(const plix_streamadapter_procs* procs) {
    StreamAdapter::setProcs(procs);
}

plix_handle plix_wstreamadapter_create(void* context) {
    return guard<plix_handle>(0, [&] { return to(new WStreamAdapter(context)); });
}

void plix_wstreamadapter_destroy(plix_handle self) {
    delete from<WStreamAdapter>(self);
}

void plix_wstreamadapter_set_procs(const plix_wstreamadapter_procs* procs) {
    WStreamAdapter::setProcs(procs);
}
