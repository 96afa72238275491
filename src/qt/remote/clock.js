"use strict";
// The program's clock as the screens keep it. The server writes this script into each page in
// place of its <script src="clock.js"> tag: the pages' policy runs inline scripts only.
// A state's time is read here when it arrives, so a state slow on its way makes the page
// late, never early: the page keeps the largest of its last offsets. An offset far from
// them means this device's clock (or the program's) was set anew, and starts afresh.
let offsets = [];
function learnOffset(serverMs) {
  const seen = serverMs - Date.now();
  if (offsets.some((o) => Math.abs(seen - o) > 250)) offsets = [];
  offsets.push(seen);
  if (offsets.length > 8) offsets.shift();
  return Math.max(...offsets);
}
