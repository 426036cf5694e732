#include "platform/module.h"

#include <dlfcn.h>

#include <stdexcept>

namespace platform {

namespace {

std::string loaderError() {
  const char* e = dlerror();
  return e ? e : "erro desconhecido";
}

}  // namespace

Module::Module(const std::string& path) : path_(path), handle_(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
  if (!handle_) throw std::runtime_error("Não foi possível carregar o módulo " + path + ": " + loaderError());
}

Module::~Module() { dlclose(handle_); }

void* Module::symbol(const std::string& name) const {
  dlerror();
  return dlsym(handle_, name.c_str());
}

void Module::call(const std::string& entry) const {
  void* s = symbol(entry);
  if (!s) throw std::runtime_error("O módulo " + path_ + " não exporta " + entry + ".");
  reinterpret_cast<void (*)()>(s)();
}

}  // namespace platform
