#pragma once
// The printer the program prints on: chosen with "ﾌﾟﾘﾝﾀの設定" and used by every print and
// print preview until the program ends (as the platform's default printer, when none was
// chosen).
class QPrinter;

QPrinter& SharedPrinter();
