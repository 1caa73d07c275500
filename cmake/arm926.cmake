# The handheld's CPU, an ARM926EJ-S (ARMv5TE) without FPU, for both ARM
# toolchains; handheld/deps.sh builds the third-party libraries, and
# handheld/emu/image.sh the device proof's guest programs, with this line.
set(ARM926_FLAGS -mcpu=arm926ej-s -mfloat-abi=soft)
