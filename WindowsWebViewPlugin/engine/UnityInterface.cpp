#include "engine/UnityInterface.h"

#include <atomic>

namespace {

std::atomic<IUnityInterfaces*> interfacesPointer{nullptr};

}  // namespace

IUnityInterfaces* unityInterfaces() { return interfacesPointer.load(); }

void setUnityInterfaces(IUnityInterfaces* interfaces) { interfacesPointer = interfaces; }
