// Undo and redo as snapshots of the whole project text: a project is small,
// and a snapshot restores unknown keys and key order exactly as they were.
export class History {
  constructor(limit = 200) {
    this.limit = limit;
    this.undos = [];
    this.redos = [];
  }

  // Call before a change, with the project as it is before the change.
  record(project) {
    const text = JSON.stringify(project);
    if (this.undos[this.undos.length - 1] === text) return;
    this.undos.push(text);
    if (this.undos.length > this.limit) this.undos.shift();
    this.redos = [];
  }

  // Forgets a record that turned out to change nothing (a click without a move).
  dropIfSame(project) {
    if (this.undos[this.undos.length - 1] === JSON.stringify(project)) this.undos.pop();
  }

  undo(current) {
    if (!this.undos.length) return null;
    this.redos.push(JSON.stringify(current));
    return JSON.parse(this.undos.pop());
  }

  redo(current) {
    if (!this.redos.length) return null;
    this.undos.push(JSON.stringify(current));
    return JSON.parse(this.redos.pop());
  }

  clear() {
    this.undos = [];
    this.redos = [];
  }
}
