#pragma once
// Module: a loadable screen module (a shared library such as
// libVnd02600.so) opened by its path, with its exported entries found by
// their undecorated names and called as functions without arguments, the
// way the client's menu opens a screen ("CriaManutVenda").
//
// The module stays loaded while the Module object lives. Screens and the
// host share this framework library, so the services the host installs
// (ui(), the logon context, the screen host) are the module's as well.
//
// Thread-safety: load and call on the user-interface thread.

#include <string>

namespace platform {

class Module {
 public:
  // Throws std::runtime_error with the loader's message when the library
  // cannot be loaded.
  explicit Module(const std::string& path);
  ~Module();
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;

  const std::string& path() const { return path_; }
  // The exported symbol, or nullptr.
  void* symbol(const std::string& name) const;
  // Calls the exported entry `void name()`; throws std::runtime_error when
  // the module does not export it.
  void call(const std::string& entry) const;

 private:
  std::string path_;
  void* handle_;
};

}  // namespace platform
