// The host of the forms.
#include "app/FormHost.h"

namespace {

TFormHost* gFormHost = nullptr;  // not owned: the application object

}  // namespace

TFormHost* FormHost() {
  return gFormHost;
}

void SetFormHost(TFormHost* host) {
  gFormHost = host;
}
