#pragma once

class QWidget;

namespace pk::AccessibleNames {

/**
 * @brief Gives each input a name a screen reader can say: the text of the label in front of it.
 *
 * A label's buddy that has no accessible name of its own gets the label's text, without its
 * accelerator '&' and closing colon. Where the buddy is a container (an entry beside its own
 * button), the first input inside it becomes the buddy and takes the name. A name set in code is
 * never replaced. A box (QComboBox) is announced on Linux by its current value, whatever its
 * name: the label's relation to it is what tells a screen reader what it is for.
 */
void nameFromLabel(QWidget *label);

/// Names the inputs of `root` and of every widget inside it (see nameFromLabel()).
void nameInputs(QWidget *root);

/// Names the inputs of every label as it is shown, in every window of the application. Once is
/// enough; later calls do nothing.
void installForApplication();

/// Whether `w` is an input that a screen reader announces by name (entries, boxes, spin boxes,
/// date controls, text areas).
bool isNamedInput(const QWidget *w);

} // namespace pk::AccessibleNames
