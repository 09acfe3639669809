#!/usr/bin/env bash
# The product's export table holds exactly the 17 plain entry point names, and each entry
# point removes its own arguments from the stack (stdcall): checked in the disassembly.
set -u
dll="$1"
objdump=i686-w64-mingw32-objdump
fail=0
pass=0
check() {  # description, condition result
  if [[ "$2" == 0 ]]; then pass=$((pass + 1)); else echo "FAIL: $1"; fail=$((fail + 1)); fi
}

header=$($objdump -f "$dll")
grep -q "file format pei-i386" <<<"$header"; check "PE32 i386 image" $?

declare -A cleanup=(
  [IsUserDLL32]=0 [GetDLLName]=0 [SetInputChar]=0 [NumberOfLinesInSystemFile]=0
  [EndSimulationDLL]=0 [GetNumberOfInputsOutputs]=4 [GetParameterStruct]=4
  [GetDialogEnableStruct]=8 [CanSimulateDLL]=4 [InitUserDLL]=4 [ShowWindowDLL]=4
  [HideWindowDLL]=4 [InitSimulationDLL]=12 [SimulateDLL]=24 [WriteToFile]=8 [ReadFromFile]=8
  [DisposeUserDLL]=4)

exports=$($objdump -p "$dll" | awk '/\[Ordinal\/Name Pointer\] Table/{on=1;next} on&&/^[ \t]*\[/{print $NF;next} on&&NF==0{on=0}')
expected=$(printf '%s\n' "${!cleanup[@]}" | sort)
actual=$(sort <<<"$exports")
[[ "$actual" == "$expected" ]]; check "export names are exactly the 17 plain names (got: $(tr '\n' ' ' <<<"$actual"))" $?

imports=$($objdump -p "$dll" | awk '/DLL Name:/{print tolower($3)}' | sort -u)
bad=""
for lib in $imports; do
  case "$lib" in
    kernel32.dll|user32.dll|gdi32.dll|comctl32.dll|comdlg32.dll|advapi32.dll|winspool.drv|shell32.dll|msvcrt.dll|ole32.dll|oleaut32.dll) ;;
    api-ms-win-*) ;;
    *) bad="$bad $lib" ;;
  esac
done
[[ -z "$bad" ]]; check "imports only Windows system libraries (unexpected:$bad)" $?

# Every export's code, found through the export table, up to its first return instruction.
table=$($objdump -p "$dll")
base=$(awk '/^ImageBase/{print $2}' <<<"$table")
for name in "${!cleanup[@]}"; do
  ordinal=$(awk -v n="$name" '/\[Ordinal\/Name Pointer\] Table/{on=1;next} on&&$NF==n{gsub(/[\[\]]/,"",$0); print $1; exit}' <<<"$table")
  rva=$(awk -v o="$ordinal" '/Export Address Table -- Ordinal Base/{on=1;next} on&&/^[ \t]*\[/{gsub(/[\[\]]/," "); if ($1==o) {print $4; exit}}' <<<"$table")
  ret=""
  if [[ -n "$rva" ]]; then
    start=$((0x$base + 0x$rva))
    ret=$($objdump -d --no-show-raw-insn --start-address=$start --stop-address=$((start + 0x800)) "$dll" |
      grep -m1 -E '\sret\b' | sed -E 's/.*\sret\s*//')
  fi
  want=${cleanup[$name]}
  if [[ "$want" == 0 ]]; then
    [[ -n "$rva" && -z "$ret" && -n "$($objdump -d --no-show-raw-insn --start-address=$start --stop-address=$((start + 0x800)) "$dll" | grep -m1 -E '\sret')" ]]
  else
    [[ "$ret" == "$(printf '$0x%x' "$want")" ]]
  fi
  check "$name removes $want bytes of arguments (first return: 'ret ${ret}')" $?
done
echo "$pass passed, $fail failed"
[[ $fail -eq 0 ]]
